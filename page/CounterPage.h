#pragma once

#include <windows.h>

#include "counter/Counter.h"
#include "framework/PropertySheet.h"

class CMimicDlg;

// The page that edits and drives one counter: its times, type, format,
// ticker, display flags, the style buttons and Start, Pause and Flash. It
// owns the counter, and with it the counter's display window.
class CCounterPage : public CPropertyPage {
  DECLARE_DYNAMIC(CCounterPage)

public:
  explicit CCounterPage(int nCounter);
  ~CCounterPage() override;

  // Registry to controls, page members and the counter's styles; once, when
  // the page window is created.
  void LoadSettings();
  // The registry's times, choices and styles into the page members and the
  // counter; what both the boxes and a Start without them are made from.
  struct StoredTimes {
    int32_t Total;
    int32_t Orange;
    int32_t Red;
  };
  StoredTimes LoadStoredChoices();
  // Controls, page members and styles to the registry.
  void SaveSettings();
  // Lets the operator change one of the counter's styles; on OK the style is
  // refitted at the next repaint and the settings are saved.
  void EditStyle(TextStyle& style);

  BOOL OnSetActive() override;
  BOOL OnKillActive() override;
  // Enter in the ticker text updates the ticker; in a time box it starts.
  void OnEnterKey(HWND control) override;
  void OnTickerTextFocus();
  void OnTickerTextFocusLost();

  void OnStart();
  void OnFlash();
  void OnPause();
  void OnUpdate();

  // ---- remote control: the same paths as the buttons, also while the page
  // has no window yet; nothing takes the focus or comes forward.
  void RemoteStart();
  void RemoteSetPaused(bool paused);
  void RemoteSetFlashing(bool flashing);
  void RemoteSetTicker(const CString& text);
  // The total the next Start takes: the time boxes, or what is stored for them.
  void RemoteSetTotal(int32_t seconds);
  int32_t NextTotal() const;

  CCounter* Counter;
  CMimicDlg* Repeater = nullptr;
  int Type = 0;
  int Format = 0;
  int TickerSize = 0;
  bool AutoTickerColour = true;
  COLORREF TickerColour;
  bool Continuous = false;
  bool DisplayDuringPause = false;
  bool HideOthers = true;
  bool DriveHardware = false;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  // A command may open or show the display; the keyboard stays on the sheet.
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

  void OnTimer(UINT_PTR nIDEvent);
  void OnDestroy();
  void OnTypeClicked();
  void OnTickerSize();
  void OnTransparent();
  void OnOnTop();
  void OnContinuous();
  void OnDisplayDuringPause();
  void OnHideOthers();
  void OnDriveHardware();
  void OnShowRepeater();
  void OnTickerColour();
  void OnNormalStyle() { EditStyle(Counter->NormalStyle); }
  void OnOrangeStyle() { EditStyle(Counter->OrangeStyle); }
  void OnRedStyle() { EditStyle(Counter->RedStyle); }

  DECLARE_MESSAGE_MAP()

private:
  // The style dialog ("Counter Style") on a copy of a style; true on OK.
  bool RunStyleDialog(LOGFONT& font, COLORREF& colour);
  // The "Ticker Colour" dialog; true on OK.
  bool RunTickerColourDialog(bool& followColour, COLORREF& fixedColour);

  // The number in a time box, 0 when it holds none.
  int32_t TimeBox(int id) const;
  int32_t TotalFromBoxes() const;
  int32_t OrangeFromBoxes() const;
  int32_t RedFromBoxes() const;
  // The type of the first checked type radio, count-down to 00:00 when none is.
  int CheckedType() const;
  // Greys the display format for the real-time types and offers "Auto
  // restart counter" only to a count-down to 00:00.
  void ApplyTypeRules(int type);
  void OfferAutoRestartFor(int type);
  void EnableEditingControls();
  void RepaintDisplay();
  // Ends the open repeater, if any, before this page or its counter goes.
  void CloseRepeater();
  void ApplyOnTop(bool onTop);

  bool RemotePress = false;
};
