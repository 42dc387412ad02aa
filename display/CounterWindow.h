#pragma once

#include <windows.h>

#include <vector>

#include "framework/Gdi.h"
#include "framework/String.h"
#include "framework/Wnd.h"

class CCounter;
class CCounterWindow;

// Watches the display windows' timer and paint handlers from the inside, for
// measuring tools (the soak and the benchmarks). The program installs none,
// so its handlers pay one null check each.
class CDisplayObserver {
public:
  virtual ~CDisplayObserver() = default;
  virtual void TimerBegin(CCounterWindow& window) = 0;
  virtual void TimerEnd(CCounterWindow& window) = 0;
  virtual void PaintBegin(CCounterWindow& window) = 0;
  // After the frame's copy to the screen.
  virtual void PaintEnd(CCounterWindow& window) = 0;
};

// A counter's display: a borderless top-level window showing the counter's
// time in large digits, with a ticker text along its bottom edge. Its 30 ms
// timer drives the counter's timekeeping. Everything is drawn into a
// client-sized back buffer and reaches the screen in one copy.
class CCounterWindow : public CWnd {
  DECLARE_DYNAMIC(CCounterWindow)

public:
  CCounterWindow();
  ~CCounterWindow() override;

  // Creates, places and shows the system window and starts its timer.
  void CreateDisplay(CCounter* pCounter, const CString& strName);
  // Re-creates the ticker font for a client area nClientHeight pixels high.
  void CreateTickerFont(int nClientHeight);
  CString GetTickerText() const;
  // Colour-key transparency: black becomes see-through and the sizing frame goes.
  void SetTransparent(bool bTransparent);
  // Draws the ticker text into pDC at the current scroll position.
  void DrawTicker(CDC* pDC, const RECT& client);
  // Refreshes Snapshot with what the screen shows at the window's client area.
  void CaptureSnapshot();
  // The bottom strip repainted at the timer rate (twice the ticker height).
  RECT TickerStrip() const;

  CBitmap BackBuffer;
  CDC BackBufferDC;
  CFont TickerFont;
  int TickerHeight = 0;
  CCounter* Counter = nullptr;
  double TickerOffset = 0.0;
  bool Transparent = false;
  bool OnTop = false;
  bool Dragging = false;
  POINT DragOrigin{0, 0};
  RECT RestoreRect{0, 0, 0, 0};
  CImage Snapshot;
  std::vector<RECT> Monitors;
  DWORD LastPaintTime = 0;

  // Requests of 1 ms timer resolution held by display windows right now.
  static long TimerResolutionHolders();
  // Null except in measuring tools.
  static CDisplayObserver* Observer;

protected:
  void OnPaint();
  void OnSize(UINT nType, int cx, int cy);
  void OnTimer(UINT_PTR nIDEvent);
  int OnCreate(LPCREATESTRUCT lpCreateStruct);
  void OnLButtonDown(UINT nFlags, CPoint point);
  void OnLButtonUp(UINT nFlags, CPoint point);
  void OnMouseMove(UINT nFlags, CPoint point);
  void OnSizing(UINT fwSide, LPRECT pRect);
  void OnLButtonDblClk(UINT nFlags, CPoint point);
  LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()

private:
  // The first rectangle of the window: above the docked main window on one
  // monitor, the whole second monitor on more.
  RECT ChooseInitialRect();
  void SavePlacement();
  // Moves a stored normal rectangle that lies on no present monitor onto the
  // nearest one.
  static void KeepOnAMonitor(RECT& normal);
  void ReleaseBackBuffer();

  bool TimerResolutionRequested = false;
};
