#pragma once

#include <windows.h>

#include <vector>

#include "framework/Gdi.h"
#include "framework/String.h"
#include "framework/Wnd.h"

class CCounter;

// A counter's display: a borderless top-level window showing the counter's
// time in large digits, with a ticker text along its bottom edge. Its 30 ms
// timer drives the counter's timekeeping.
class CCounterWindow : public CWnd {
  DECLARE_DYNAMIC(CCounterWindow)

public:
  CCounterWindow();
  ~CCounterWindow() override;

  // Creates, places and shows the system window and starts its timer.
  void CreateDisplay(CCounter* pCounter, CString strName);
  // Re-creates the ticker font for a client area nClientHeight pixels high.
  void CreateTickerFont(int nClientHeight);
  CString GetTickerText() const;
  // Colour-key transparency: black becomes see-through and the sizing frame goes.
  void SetTransparent(bool bTransparent);

  CFont TickerFont;
  int TickerHeight = 0;
  CCounter* Counter = nullptr;
  double TickerOffset = 0.0;
  bool Transparent = false;
  bool OnTop = false;
  bool Dragging = false;
  POINT DragOrigin{0, 0};
  RECT RestoreRect{0, 0, 0, 0};
  std::vector<RECT> Monitors;
  DWORD LastPaintTime = 0;

protected:
  void OnTimer(UINT_PTR nIDEvent);
  void OnPaint();

  DECLARE_MESSAGE_MAP()

private:
  bool TimerResolutionRequested = false;
};
