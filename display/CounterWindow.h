#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "counter/CounterTypes.h"
#include "display/GlyphCache.h"
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
// time in large digits, with a ticker text along its bottom edge. The frame
// clock shared by all displays drives the counter's timekeeping and draws its
// frames. Everything is drawn into a client-sized back buffer; a frame copies
// only what changed (the digits' boxes) straight to the window, and a paint
// copies the area the system asks for. A ticker frame clear of the digits
// draws the ticker text's old and new places onto the window in one call, or,
// when the window already shows the line of the frame before, moves it there
// with one copy and draws only the strip the move uncovers.
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
  // Refreshes Snapshot with what the screen shows at the window's client area;
  // the image exists from then on until ReleaseSnapshot (a repeater closing).
  void CaptureSnapshot();
  void ReleaseSnapshot();
  // The bottom strip repainted at the timer rate (twice the ticker height).
  RECT TickerStrip() const;

  // The counter changed what it shows: inside a clock step that step's frame
  // takes it; otherwise the whole window is repainted.
  void CounterChanged();
  // The counter changed what it waits for, not what it shows: the clock
  // plans its next wake again.
  void PlanChanged();
  // One wake of the frame clock: the counter's Tick when something of it is
  // due, then one frame of what changed; answers the area drawn.
  RECT ClockStep(DWORD now, int64_t wallMs, bool tickerFrame);
  // Draws what changed since the last frame straight to the window (the
  // digits' old and new boxes and the strip after a counter change, then the
  // ticker text's old and new places on a ticker frame); answers that area.
  RECT DrawFrame(bool tickerFrame);
  // Visible, with ticker text to scroll.
  bool WantsTickerFrames() const;
  // A digit the seconds to come may show that the glyph cache has not
  // rendered yet (next to a digit shown: counting either way, each digit is
  // followed by one of its neighbours), 0 when there is none; and the
  // rendering of one, false when there was none to render.
  char GlyphAhead();
  bool RenderGlyphAhead();

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
  // The display's own placement while the control sheet has it stretched
  // over the work area; what is stored meanwhile is this one.
  std::optional<WINDOWPLACEMENT> OwnPlacement;
  CImage Snapshot;
  std::vector<RECT> Monitors;
  DWORD LastPaintTime = 0;
  // Digits are copied from glyphs rasterised once; off, every frame
  // rasterises them (the way to compare the two).
  bool CacheGlyphs = true;
  // A ticker frame moves the line with one copy where that shows the same;
  // off, every frame draws the whole line (the way to compare the two).
  bool ScrollTicker = true;

  // Requests of 1 ms timer resolution held by display windows right now.
  static long TimerResolutionHolders();
  // Ticker frames that moved the line on the window with one copy, so far.
  static long ScrolledTickerFrames();
  // Null except in measuring tools.
  static CDisplayObserver* Observer;

protected:
  void OnPaint();
  void OnSize(UINT nType, int cx, int cy);
  void OnDestroy();
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
  // Works out the digits' text, colour and box once per change, not per frame.
  void RefreshDigits(const RECT& client);
  // Works the digits out again and answers what must be drawn for the
  // change: both boxes, or only the characters that changed.
  RECT DigitsRepaintArea(const RECT& client);
  // Moves the ticker by the time since the previous frame.
  void AdvanceTicker(int width);
  // The fitted font of the style the digits show in now.
  HFONT ShownDigitFont(const RECT& client);
  // Draws the frame into the back buffer, inside area only.
  void RenderArea(const RECT& client, const RECT& area);
  // Draws the digits inside area straight onto the window, where no ticker
  // shares the area and the glyphs come from the cache; false, and nothing
  // drawn, where the back buffer must compose the frame.
  bool DrawDigitsOnWindow(const RECT& client, const RECT& area);
  // Puts a font like font (the same LOGFONT) in the back buffer's context
  // and keeps it there; nullptr puts the context's own font back.
  void SelectDigitFont(HFONT font);
  // Cumulative widths of the ticker text's characters in the ticker font,
  // measured once per text and font.
  void MeasureTicker(CDC& dc);
  // The ticker characters that reach into bounds and where they start.
  struct TickerRun {
    int X = 0;
    int Y = 0;
    int First = 0;
    int Count = 0;
  };
  TickerRun VisibleTicker(const RECT& client, const RECT& bounds);
  // One ticker frame of the line area straight onto the window.
  void DrawTickerLine(const RECT& client, const RECT& line);
  // Whether the line on the window can be moved by step pixels with one copy
  // and still show what a whole paint would.
  bool CanScrollLine(const RECT& line, int step, COLORREF colour) const;
  // Where the ticker text stands now, with room for glyphs that overhang.
  RECT TickerTextBox(const RECT& client) const;

  bool TimerResolutionRequested = false;
  bool InClockStep = false;
  bool DigitsChanged = false;
  CString DigitText;
  COLORREF DigitColour = RGB(0, 0, 0);
  DisplayColour DigitState = Blank;
  bool DigitsShown = false;
  RECT DigitBox{0, 0, 0, 0};
  // The last counted second's area when only some characters changed, and
  // the part of it where the old ones' ink lay.
  RECT DigitsArea{0, 0, 0, 0};
  RECT DigitsStale{0, 0, 0, 0};
  HFONT DigitFont = nullptr;
  std::vector<int> DigitExtents;
  CGlyphCache Glyphs;
  // The digits' font as selected in the back buffer's context from one frame
  // to the next: selecting a font costs more than the rest of a counted
  // second under Wine. A copy the window owns, so that no style's font is
  // ever deleted while selected here.
  CFont DigitFontCopy;
  LOGFONT DigitFontCopyOf{};
  std::optional<CSelectGuard> DigitFontSelected;
  int DigitLeft = 0;
  int DigitTop = 0;
  int DigitMargin = 0;
  RECT TickerDrawn{0, 0, 0, 0};
  COLORREF TickerColourShown = RGB(0, 0, 0);
  CString MeasuredTicker;
  HFONT MeasuredFont = nullptr;
  std::vector<int> TickerExtents;
  int TickerCellHeight = 0;
  // The ticker font as selected in the window's own context (the class has
  // CS_OWNDC) from the first ticker frame until the font or the window goes.
  std::optional<CSelectGuard> WindowTickerFont;
  // The ticker line as the last frame drew it onto the window: its text at
  // LineX in LineColour, nothing else on it. Anything else that draws there
  // (a paint, the back buffer's path) or changes the text, its font or
  // colour clears it.
  bool LineOnWindow = false;
  int LineX = 0;
  COLORREF LineColour = RGB(0, 0, 0);
};
