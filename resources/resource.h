#pragma once

// Strings
#define IDS_SHEET_CAPTION 102
#define IDS_EXPANDER_NAME 107
#define IDS_CONFIRM_DELETE 111

// Icons
#define IDI_VELTO 138
