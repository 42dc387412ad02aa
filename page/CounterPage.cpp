#include "page/CounterPage.h"

#include "app/VeltoSheet.h"
#include "device/ExpanderOutput.h"
#include "display/MimicDlg.h"
#include "framework/Profile.h"
#include "page/StyleDlg.h"
#include "page/TickerStyleDialog.h"
#include "page/TimeEntry.h"
#include "resources/resource.h"

namespace {

constexpr int DefaultTotalTime = 70;
constexpr int DefaultOrangeTime = 30;
constexpr int DefaultRedTime = 10;
constexpr int TypeCount = 5;
constexpr int FormatCount = 3;
constexpr int TickerSizeCount = 3;
constexpr UINT_PTR PageTimer = 1;

// Controls that work whatever the counter does; the page makes sure they are
// usable whenever it is shown.
constexpr int EditingControls[] = {IDC_STYLE_NORMAL, IDC_STYLE_ORANGE,  IDC_STYLE_RED,
                                   IDC_TICKER_TEXT,  IDC_TICKER_UPDATE, IDC_TRANSPARENT};

// The boxes of the times that Start takes.
constexpr int TimeBoxes[] = {IDC_TOTAL_HOURS,    IDC_TOTAL_MINUTES, IDC_TOTAL_SECONDS, IDC_ORANGE_MINUTES,
                             IDC_ORANGE_SECONDS, IDC_RED_MINUTES,   IDC_RED_SECONDS};

CProfileStore& Profile() {
  // The application object is the store for the program's whole life.
  return *AfxGetProfile();
}

int Bit(bool value) { return value ? 1 : 0; }

}  // namespace

IMPLEMENT_DYNAMIC(CCounterPage, CPropertyPage)

BEGIN_MESSAGE_MAP(CCounterPage, CPropertyPage)
ON_BN_CLICKED(IDC_START, OnStart)
ON_BN_CLICKED(IDC_FLASH, OnFlash)
ON_BN_CLICKED(IDC_PAUSE, OnPause)
ON_BN_CLICKED(IDC_STYLE_NORMAL, OnNormalStyle)
ON_BN_CLICKED(IDC_STYLE_ORANGE, OnOrangeStyle)
ON_BN_CLICKED(IDC_STYLE_RED, OnRedStyle)
ON_BN_CLICKED(IDC_TICKER_UPDATE, OnUpdate)
ON_BN_CLICKED(IDC_TRANSPARENT, OnTransparent)
ON_BN_CLICKED(IDC_ON_TOP, OnOnTop)
ON_BN_CLICKED(IDC_TYPE_DOWN_TO_ZERO, OnTypeClicked)
ON_BN_CLICKED(IDC_TYPE_COUNT_UP, OnTypeClicked)
ON_BN_CLICKED(IDC_TYPE_REAL_TIME_24, OnTypeClicked)
ON_BN_CLICKED(IDC_TYPE_REAL_TIME_12, OnTypeClicked)
ON_BN_CLICKED(IDC_TYPE_DOWN_PAST_ZERO, OnTypeClicked)
ON_BN_CLICKED(IDC_TICKER_SMALL, OnTickerSize)
ON_BN_CLICKED(IDC_TICKER_MEDIUM, OnTickerSize)
ON_BN_CLICKED(IDC_TICKER_LARGE, OnTickerSize)
ON_BN_CLICKED(IDC_CONTINUOUS, OnContinuous)
ON_BN_CLICKED(IDC_DISPLAY_DURING_PAUSE, OnDisplayDuringPause)
ON_BN_CLICKED(IDC_HIDE_OTHERS, OnHideOthers)
ON_BN_CLICKED(IDC_DRIVE_HARDWARE, OnDriveHardware)
ON_BN_CLICKED(IDC_SHOW_REPEATER, OnShowRepeater)
ON_BN_CLICKED(IDC_TICKER_COLOUR, OnTickerColour)
ON_CONTROL(EN_SETFOCUS, IDC_TICKER_TEXT, OnTickerTextFocus)
ON_CONTROL(EN_KILLFOCUS, IDC_TICKER_TEXT, OnTickerTextFocusLost)
ON_WM_TIMER()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CCounterPage::CCounterPage(int nCounter)
    : CPropertyPage(IDD_COUNTER), Counter(new CCounter(nCounter)), TickerColour(RGB(255, 255, 255)) {}

CCounterPage::~CCounterPage() {
  CloseRepeater();
  Counter->Window.DestroyWindow();
  delete Counter;
}

void CCounterPage::DoDataExchange(CDataExchange* pDX) {
  DDX_Radio(pDX, IDC_TYPE_DOWN_TO_ZERO, Type);
  DDX_Radio(pDX, IDC_FORMAT_AUTO, Format);
  DDX_Radio(pDX, IDC_TICKER_SMALL, TickerSize);
}

BOOL CCounterPage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  LoadSettings();
  // A remote press may have come before the page was first shown.
  if (Counter->Paused) SetDlgItemText(IDC_PAUSE, "&Continue");
  if (Counter->Flashing) SetDlgItemText(IDC_FLASH, "Stop &Flashing");
  if (Counter->Paused) SetTimer(PageTimer, 1000, nullptr);
  EnableEditingControls();
  Counter->Window.SetTransparent(IsDlgButtonChecked(IDC_TRANSPARENT) == BST_CHECKED);
  return TRUE;
}

BOOL CCounterPage::OnSetActive() {
  EnableEditingControls();
  return CPropertyPage::OnSetActive();
}

BOOL CCounterPage::OnKillActive() {
  SaveSettings();
  return CPropertyPage::OnKillActive();
}

void CCounterPage::OnEnterKey(HWND control) {
  const int id = ::GetDlgCtrlID(control);
  // A message typed while a counter runs must not restart it.
  if (id == IDC_TICKER_TEXT) {
    PressButton(::GetDlgItem(m_hWnd, IDC_TICKER_UPDATE));
    return;
  }
  for (int box : TimeBoxes) {
    if (id == box) {
      PressButton(::GetDlgItem(m_hWnd, IDC_START));
      return;
    }
  }
  CPropertyPage::OnEnterKey(control);
}

BOOL CCounterPage::OnCommand(WPARAM wParam, LPARAM lParam) {
  const CKeepSheetActive keepActive(::GetParent(m_hWnd));
  return CPropertyPage::OnCommand(wParam, lParam);
}

// The default button's border shows what Enter does: in the ticker text it
// updates the ticker, everywhere else it is Start's.
void CCounterPage::OnTickerTextFocus() { SendMessage(DM_SETDEFID, IDC_TICKER_UPDATE); }

void CCounterPage::OnTickerTextFocusLost() { SendMessage(DM_SETDEFID, IDC_START); }

void CCounterPage::OnDestroy() {
  // The repeater reaches this page and its counter: it goes first.
  CloseRepeater();
  KillTimer(PageTimer);
  SaveSettings();
  CPropertyPage::OnDestroy();
}

CCounterPage::StoredTimes CCounterPage::LoadStoredChoices() {
  const CString section = Counter->GetSectionName();
  CProfileStore& profile = Profile();
  StoredTimes times{};
  times.Total = StoredSeconds(profile.GetProfileInt(section, "TotalTime", DefaultTotalTime), DefaultTotalTime);
  times.Orange = StoredSeconds(profile.GetProfileInt(section, "OrangeTime", DefaultOrangeTime), DefaultOrangeTime);
  times.Red = StoredSeconds(profile.GetProfileInt(section, "RedTime", DefaultRedTime), DefaultRedTime);

  Counter->NormalStyle.Load(section, "NormalStyle");
  Counter->OrangeStyle.Load(section, "OrangeStyle");
  Counter->RedStyle.Load(section, "RedStyle");

  Type = StoredChoice(profile.GetProfileInt(section, "Type", 0), TypeCount);
  Format = StoredChoice(profile.GetProfileInt(section, "Format", 0), FormatCount);
  TickerSize = StoredChoice(profile.GetProfileInt(section, "TickerSize", 0), TickerSizeCount);
  AutoTickerColour = profile.GetProfileInt(section, "AutoTickerColour", 1) != 0;
  TickerColour = profile.GetProfileInt(section, "TickerColour", static_cast<int>(RGB(255, 255, 255)));
  Continuous = profile.GetProfileInt(section, "Continuous", 0) != 0;
  DisplayDuringPause = profile.GetProfileInt(section, "DisplayDuringPause", 0) != 0;
  HideOthers = profile.GetProfileInt(section, "HideOthers", 1) != 0;
  DriveHardware = profile.GetProfileInt(section, "DriveHardware", 0) != 0;
  return times;
}

void CCounterPage::LoadSettings() {
  const CString section = Counter->GetSectionName();
  CProfileStore& profile = Profile();
  const StoredTimes times = LoadStoredChoices();

  SetDlgItemInt(IDC_TOTAL_MINUTES, static_cast<UINT>(times.Total / 60), FALSE);
  SetDlgItemInt(IDC_TOTAL_SECONDS, static_cast<UINT>(times.Total % 60), FALSE);
  SetDlgItemInt(IDC_ORANGE_MINUTES, static_cast<UINT>(times.Orange / 60), FALSE);
  SetDlgItemInt(IDC_ORANGE_SECONDS, static_cast<UINT>(times.Orange % 60), FALSE);
  SetDlgItemInt(IDC_RED_MINUTES, static_cast<UINT>(times.Red / 60), FALSE);
  SetDlgItemInt(IDC_RED_SECONDS, static_cast<UINT>(times.Red % 60), FALSE);

  SetDlgItemText(IDC_TICKER_TEXT, profile.GetProfileString(section, "Ticker", ""));

  UpdateData(FALSE);

  CheckDlgButton(IDC_TRANSPARENT, profile.GetProfileInt(section, "Transparent", 0) != 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_CONTINUOUS, Continuous ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_DISPLAY_DURING_PAUSE, DisplayDuringPause ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_HIDE_OTHERS, HideOthers ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_DRIVE_HARDWARE, DriveHardware ? BST_CHECKED : BST_UNCHECKED);

  // Only a click on a type greys the display format; loading leaves it usable.
  OfferAutoRestartFor(Type);

  const bool onTop = profile.GetProfileInt(section, "OnTop", 0) != 0;
  CheckDlgButton(IDC_ON_TOP, onTop ? BST_CHECKED : BST_UNCHECKED);
  ApplyOnTop(onTop);
}

void CCounterPage::SaveSettings() {
  if (!m_hWnd) return;
  UpdateData(TRUE);
  // A group with no button checked reads as -1; store the first choice instead.
  Type = StoredChoice(static_cast<uint32_t>(Type), TypeCount);
  Format = StoredChoice(static_cast<uint32_t>(Format), FormatCount);
  TickerSize = StoredChoice(static_cast<uint32_t>(TickerSize), TickerSizeCount);

  const CString section = Counter->GetSectionName();
  CProfileStore& profile = Profile();
  profile.WriteProfileInt(section, "TotalTime", TotalFromBoxes());
  profile.WriteProfileInt(section, "OrangeTime", OrangeFromBoxes());
  profile.WriteProfileInt(section, "RedTime", RedFromBoxes());
  profile.WriteProfileString(section, "Ticker", GetDlgItemText(IDC_TICKER_TEXT));
  profile.WriteProfileInt(section, "AutoTickerColour", Bit(AutoTickerColour));
  profile.WriteProfileInt(section, "TickerColour", static_cast<int>(TickerColour));
  profile.WriteProfileInt(section, "Type", Type);
  profile.WriteProfileInt(section, "Format", Format);
  profile.WriteProfileInt(section, "TickerSize", TickerSize);
  profile.WriteProfileInt(section, "Continuous", Bit(Continuous));
  Counter->NormalStyle.Save(section, "NormalStyle");
  Counter->OrangeStyle.Save(section, "OrangeStyle");
  Counter->RedStyle.Save(section, "RedStyle");
}

int32_t CCounterPage::TimeBox(int id) const { return ParseTimeBox(GetDlgItemText(id).Str()); }

int32_t CCounterPage::TotalFromBoxes() const {
  return TotalSeconds(TimeBox(IDC_TOTAL_HOURS), TimeBox(IDC_TOTAL_MINUTES), TimeBox(IDC_TOTAL_SECONDS));
}

int32_t CCounterPage::OrangeFromBoxes() const {
  return ShortSeconds(TimeBox(IDC_ORANGE_MINUTES), TimeBox(IDC_ORANGE_SECONDS));
}

int32_t CCounterPage::RedFromBoxes() const { return ShortSeconds(TimeBox(IDC_RED_MINUTES), TimeBox(IDC_RED_SECONDS)); }

int CCounterPage::CheckedType() const {
  const int buttons[] = {IDC_TYPE_DOWN_TO_ZERO, IDC_TYPE_COUNT_UP, IDC_TYPE_REAL_TIME_24, IDC_TYPE_REAL_TIME_12,
                         IDC_TYPE_DOWN_PAST_ZERO};
  for (int type = 0; type < TypeCount; ++type)
    if (IsDlgButtonChecked(buttons[type]) == BST_CHECKED) return type;
  return DownToZero;
}

void CCounterPage::ApplyTypeRules(int type) {
  const BOOL formatUsable = IsRealTime(type) ? FALSE : TRUE;
  for (int id : {IDC_FORMAT_AUTO, IDC_FORMAT_HOUR_MIN, IDC_FORMAT_MIN_SEC, IDC_FORMAT_GROUP})
    EnableDlgItem(id, formatUsable);
  OfferAutoRestartFor(type);
}

void CCounterPage::OfferAutoRestartFor(int type) { EnableDlgItem(IDC_CONTINUOUS, type == DownToZero ? TRUE : FALSE); }

void CCounterPage::EnableEditingControls() {
  for (int id : EditingControls) EnableDlgItem(id, TRUE);
}

void CCounterPage::RepaintDisplay() {
  // Also tells the displays' clock, which plans its next wake from what the
  // counter now does (a continued counter needs its seconds again), with its
  // display closed too.
  Counter->Window.CounterChanged();
}

void CCounterPage::ApplyOnTop(bool onTop) {
  Counter->Window.OnTop = onTop;
  if (Counter->Window.HasWindow())
    Counter->Window.SetWindowPos(onTop ? &CWnd::wndTopMost : &CWnd::wndNoTopMost, 0, 0, 0, 0,
                                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void CCounterPage::OnStart() {
  Counter->CatchUp();
  const int type = CheckedType();
  SaveSettings();
  Counter->Start(TotalFromBoxes(), type, Format, OrangeFromBoxes(), RedFromBoxes());
  Counter->DisplayDuringPause = DisplayDuringPause;
  RepaintDisplay();
  Counter->SetContinuous(Continuous);
  Counter->DriveHardware = DriveHardware;
  if (DriveHardware) {
    if (ExpanderOutput* expander = AfxGetExpander()) expander->Attach(Counter);
    Counter->UpdateHardware();
  }
  OnUpdate();
  UpdateData(TRUE);
  Counter->SetTickerStyle(TickerSize, AutoTickerColour, TickerColour);
  Counter->Window.ShowWindow(RemotePress ? SW_SHOWNOACTIVATE : SW_SHOW);
  if (HideOthers) {
    if (auto* sheet = dynamic_cast<CVeltoSheet*>(CWnd::FromHandlePermanent(::GetParent(m_hWnd))))
      sheet->HideOtherCounters(&Counter->Window);
  }
}

void CCounterPage::OnFlash() {
  if (Counter->CatchUp()) Counter->UpdateHardware();
  Counter->Flashing = !Counter->Flashing;
  if (!Counter->Window.HasWindow()) Counter->CreateDisplay();
  RepaintDisplay();
  SetDlgItemText(IDC_FLASH, Counter->Flashing ? "Stop &Flashing" : "&Flash");
}

void CCounterPage::OnPause() {
  // A press after the thread was held up acts on the true time, not on
  // the last time the display's timer got to show.
  Counter->CatchUp();
  Counter->Paused = !Counter->Paused;
  if (!Counter->Paused && !Counter->Window.HasWindow()) Counter->CreateDisplay();
  RepaintDisplay();
  Counter->UpdateHardware();
  SetDlgItemText(IDC_PAUSE, Counter->Paused ? "&Continue" : "&Pause");
  // The caption shows the frozen time while paused; otherwise nothing needs
  // the page to wake.
  if (Counter->Paused)
    SetTimer(PageTimer, 1000, nullptr);
  else
    KillTimer(PageTimer);
}

void CCounterPage::OnUpdate() {
  Counter->SetTicker(GetDlgItemText(IDC_TICKER_TEXT));
  SaveSettings();
}

void CCounterPage::OnTimer(UINT_PTR nIDEvent) {
  if (Counter->Paused) SetDlgItemText(IDC_PAUSE, "&Continue (" + Counter->GetDisplayText() + ")");
  CPropertyPage::OnTimer(nIDEvent);
}

void CCounterPage::OnTypeClicked() {
  const int type = CheckedType();
  if (IsRealTime(type)) {
    // The wall clock chooses its own layout.
    CheckDlgButton(IDC_FORMAT_AUTO, BST_CHECKED);
    CheckDlgButton(IDC_FORMAT_MIN_SEC, BST_UNCHECKED);
    CheckDlgButton(IDC_FORMAT_HOUR_MIN, BST_UNCHECKED);
  }
  ApplyTypeRules(type);
}

void CCounterPage::OnTickerSize() {
  UpdateData(TRUE);
  TickerSize = StoredChoice(static_cast<uint32_t>(TickerSize), TickerSizeCount);
  Counter->SetTickerStyle(TickerSize, AutoTickerColour, TickerColour);
}

void CCounterPage::OnTransparent() {
  const bool on = IsDlgButtonChecked(IDC_TRANSPARENT) == BST_CHECKED;
  Counter->Window.SetTransparent(on);
  Profile().WriteProfileInt(Counter->GetSectionName(), "Transparent", Bit(on));
}

void CCounterPage::OnOnTop() {
  const bool on = IsDlgButtonChecked(IDC_ON_TOP) == BST_CHECKED;
  ApplyOnTop(on);
  Profile().WriteProfileInt(Counter->GetSectionName(), "OnTop", Bit(on));
}

void CCounterPage::OnContinuous() {
  Continuous = IsDlgButtonChecked(IDC_CONTINUOUS) == BST_CHECKED;
  Profile().WriteProfileInt(Counter->GetSectionName(), "Continuous", Bit(Continuous));
  Counter->SetContinuous(Continuous);
}

void CCounterPage::OnDisplayDuringPause() {
  DisplayDuringPause = IsDlgButtonChecked(IDC_DISPLAY_DURING_PAUSE) == BST_CHECKED;
  Profile().WriteProfileInt(Counter->GetSectionName(), "DisplayDuringPause", Bit(DisplayDuringPause));
  Counter->DisplayDuringPause = DisplayDuringPause;
  RepaintDisplay();
}

void CCounterPage::OnHideOthers() {
  HideOthers = IsDlgButtonChecked(IDC_HIDE_OTHERS) == BST_CHECKED;
  Profile().WriteProfileInt(Counter->GetSectionName(), "HideOthers", Bit(HideOthers));
}

void CCounterPage::OnDriveHardware() {
  DriveHardware = IsDlgButtonChecked(IDC_DRIVE_HARDWARE) == BST_CHECKED;
  Profile().WriteProfileInt(Counter->GetSectionName(), "DriveHardware", Bit(DriveHardware));
  Counter->DriveHardware = DriveHardware;
  // Unticking only clears the flag: the unit stays open with this counter as
  // its owner, and the counter sends nothing while the flag is clear.
  if (DriveHardware) {
    if (ExpanderOutput* expander = AfxGetExpander()) expander->Attach(Counter);
    Counter->UpdateHardware();
  }
}

void CCounterPage::OnShowRepeater() {
  if (Repeater) {
    Repeater->SetForegroundWindow();
    return;
  }
  Repeater = new CMimicDlg(this);
  if (!Repeater->Create(IDD_REPEATER, this)) {
    // A window that came and went has deleted its object already.
    delete Repeater;
    Repeater = nullptr;
    return;
  }
  Repeater->ShowWindow(SW_SHOW);
}

void CCounterPage::CloseRepeater() {
  if (!Repeater) return;
  // Destroying the window deletes the repeater and clears Repeater.
  if (Repeater->HasWindow()) Repeater->DestroyWindow();
  delete Repeater;
  Repeater = nullptr;
}

void CCounterPage::EditStyle(TextStyle& style) {
  LOGFONT font = style.LogFont;
  COLORREF colour = style.Colour;
  if (!RunStyleDialog(font, colour)) return;
  style.LogFont = font;
  style.Colour = colour;
  style.FitLength = 0;
  SaveSettings();
  // A stopped counter repaints only when asked: show the new look at once.
  RepaintDisplay();
}

void CCounterPage::OnTickerColour() {
  bool follow = AutoTickerColour;
  COLORREF fixed = TickerColour;
  if (!RunTickerColourDialog(follow, fixed)) return;
  TickerColour = fixed;
  AutoTickerColour = follow;
  Counter->SetTickerStyle(TickerSize, AutoTickerColour, TickerColour);
}

bool CCounterPage::RunStyleDialog(LOGFONT& font, COLORREF& colour) {
  CStyleDlg dialog(this);
  dialog.Style.LogFont = font;
  dialog.Style.Colour = colour;
  dialog.Style.FitLength = 0;
  if (dialog.DoModal() != IDOK) return false;
  font = dialog.Style.LogFont;
  colour = dialog.Style.Colour;
  return true;
}

bool CCounterPage::RunTickerColourDialog(bool& followColour, COLORREF& fixedColour) {
  // No parent: the main window owns it.
  CTickerStyleDialog dialog;
  dialog.FollowColour = followColour ? TRUE : FALSE;
  dialog.FixedColour = fixedColour;
  if (dialog.DoModal() != IDOK) return false;
  followColour = dialog.FollowColour != 0;
  fixedColour = dialog.FixedColour;
  return true;
}

// ---- remote control ------------------------------------------------------------

void CCounterPage::RemoteStart() {
  if (m_hWnd) {
    // A remote Start shows the display without taking the focus.
    RemotePress = true;
    OnStart();
    RemotePress = false;
    return;
  }
  // A page never shown has no boxes: Start takes what they would show.
  const CString section = Counter->GetSectionName();
  CProfileStore& profile = Profile();
  const StoredTimes times = LoadStoredChoices();

  Counter->CatchUp();
  Counter->Start(times.Total, Type, Format, times.Orange, times.Red);
  Counter->DisplayDuringPause = DisplayDuringPause;
  RepaintDisplay();
  Counter->Continuous = Continuous;
  Counter->DriveHardware = DriveHardware;
  if (DriveHardware) {
    if (ExpanderOutput* expander = AfxGetExpander()) expander->Attach(Counter);
    Counter->UpdateHardware();
  }
  Counter->SetTicker(profile.GetProfileString(section, "Ticker", ""));
  Counter->SetTickerStyle(TickerSize, AutoTickerColour, TickerColour);
  Counter->Window.ShowWindow(SW_SHOWNOACTIVATE);
  if (HideOthers) {
    if (auto* sheet = dynamic_cast<CVeltoSheet*>(AfxGetMainWnd())) sheet->HideOtherCounters(&Counter->Window);
  }
}

void CCounterPage::RemoteSetPaused(bool paused) {
  if (Counter->Paused == paused) return;
  if (m_hWnd) {
    OnPause();
    return;
  }
  Counter->CatchUp();
  Counter->Paused = paused;
  if (!Counter->Paused && !Counter->Window.HasWindow()) Counter->CreateDisplay();
  RepaintDisplay();
  Counter->UpdateHardware();
}

void CCounterPage::RemoteSetFlashing(bool flashing) {
  if (Counter->Flashing == flashing) return;
  if (m_hWnd) {
    OnFlash();
    return;
  }
  if (Counter->CatchUp()) Counter->UpdateHardware();
  Counter->Flashing = flashing;
  if (!Counter->Window.HasWindow()) Counter->CreateDisplay();
  RepaintDisplay();
}

void CCounterPage::RemoteSetTicker(const CString& text) {
  if (m_hWnd) {
    SetDlgItemText(IDC_TICKER_TEXT, text);
    OnUpdate();
    return;
  }
  Counter->SetTicker(text);
  Profile().WriteProfileString(Counter->GetSectionName(), "Ticker", text);
}

void CCounterPage::RemoteSetTotal(int32_t seconds) {
  if (m_hWnd) {
    SetDlgItemInt(IDC_TOTAL_HOURS, static_cast<UINT>(seconds / 3600), FALSE);
    SetDlgItemInt(IDC_TOTAL_MINUTES, static_cast<UINT>(seconds / 60 % 60), FALSE);
    SetDlgItemInt(IDC_TOTAL_SECONDS, static_cast<UINT>(seconds % 60), FALSE);
    SaveSettings();
    return;
  }
  Profile().WriteProfileInt(Counter->GetSectionName(), "TotalTime", seconds);
}

int32_t CCounterPage::NextTotal() const {
  if (m_hWnd) return TotalFromBoxes();
  return StoredSeconds(Profile().GetProfileInt(Counter->GetSectionName(), "TotalTime", DefaultTotalTime),
                       DefaultTotalTime);
}
