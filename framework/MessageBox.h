#pragma once

#include <windows.h>

#include <functional>

#include "framework/String.h"

// What a message box would show: its owner, text, caption and MB_ flags.
struct MessageBoxRequest {
  HWND Owner = nullptr;
  CString Text;
  CString Caption;
  UINT Type = 0;
};

// Answers a message box in place of the operator (tests); the result is the
// button "pressed" (IDYES, IDNO, ...).
using MessageBoxHook = std::function<int(const MessageBoxRequest&)>;

// Installs hook (empty: the real message box again) and answers the one it replaces.
MessageBoxHook AfxSetMessageBoxHook(MessageBoxHook hook);

// The program's message box: modal to the program's active window (or its
// main window), captioned with the application name. helpId is accepted for
// the usual signature; the program has no help content.
int AfxMessageBox(LPCTSTR text, UINT type = MB_OK, UINT helpId = 0);
// The same with the text of string resource promptId.
int AfxMessageBox(UINT promptId, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));
