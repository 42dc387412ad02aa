#include "display/CounterWindow.h"

#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "counter/Counter.h"
#include "display/FrameClock.h"
#include "display/FramePlan.h"
#include "framework/Clock.h"
#include "framework/Profile.h"
#include "remote/RemoteControl.h"
#include "resources/resource.h"

namespace {

long timerResolutionHolders = 0;
long scrolledTickerFrames = 0;

BOOL CALLBACK CollectMonitor(HMONITOR, HDC, LPRECT monitor, LPARAM data) {
  reinterpret_cast<std::vector<RECT>*>(data)->push_back(*monitor);
  return TRUE;
}

COLORREF StateColour(const CCounter& counter, DisplayColour state) {
  switch (state) {
    case Normal:
      return counter.NormalStyle.Colour;
    case Orange:
      return counter.OrangeStyle.Colour;
    case Red:
      return counter.RedStyle.Colour;
    default:
      return RGB(0, 0, 0);
  }
}

// Whether the desktop is composed, as it always is from Windows 8 on: every
// window then keeps all of its pixels, also where it is covered, off the
// screen or waiting for a paint. Looked up at run time; a system that cannot
// answer counts as not composed.
bool DesktopComposed() {
  using IsComposed = HRESULT(WINAPI*)(BOOL*);
  static const auto query = [] {
    HMODULE dwm = ::LoadLibraryExA("dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return dwm ? reinterpret_cast<IsComposed>(reinterpret_cast<void*>(::GetProcAddress(dwm, "DwmIsCompositionEnabled")))
               : nullptr;
  }();
  BOOL composed = FALSE;
  return query && SUCCEEDED(query(&composed)) && composed;
}

// Whether the window keeps what is drawn on line, so that a copy can read it
// back: always on a composed desktop; without composition the screen holds
// the only copy, and none of the line may lie under another window or off
// the screen. (A window that came and went between two frames leaves an
// exposure that its paint mends; after any paint the next frame draws the
// line whole.)
bool LineKept(HDC window, const RECT& line) {
  if (DesktopComposed()) return true;
  RECT visible{0, 0, 0, 0};
  if (::GetClipBox(window, &visible) != SIMPLEREGION) return false;
  RECT inside{0, 0, 0, 0};
  return ::IntersectRect(&inside, &visible, &line) && ::EqualRect(&inside, &line);
}

void Unite(RECT& area, const RECT& more) {
  if (::IsRectEmpty(&more)) return;
  if (::IsRectEmpty(&area))
    area = more;
  else
    ::UnionRect(&area, &area, &more);
}

}  // namespace

IMPLEMENT_DYNAMIC(CCounterWindow, CWnd)

BEGIN_MESSAGE_MAP(CCounterWindow, CWnd)
  ON_WM_PAINT()
  ON_WM_SIZE()
  ON_WM_DESTROY()
  ON_WM_CREATE()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONUP()
  ON_WM_MOUSEMOVE()
  ON_WM_SIZING()
  ON_WM_LBUTTONDBLCLK()
  ON_MESSAGE(WM_DPICHANGED, OnDpiChanged)
END_MESSAGE_MAP()

CCounterWindow::CCounterWindow() {
  // The frame clock's timer and the ticker clock need 1 ms resolution. Every
  // request is paired with a release in the destructor.
  TimerResolutionRequested = ::timeBeginPeriod(1) == TIMERR_NOERROR;
  if (TimerResolutionRequested) ++timerResolutionHolders;
}

CCounterWindow::~CCounterWindow() {
  CFrameClock::Instance().Leave(*this);
  WindowTickerFont.reset();
  Snapshot.Destroy();
  Monitors.clear();
  TickerFont.DeleteObject();
  ReleaseBackBuffer();
  if (TimerResolutionRequested) {
    ::timeEndPeriod(1);
    --timerResolutionHolders;
  }
}

CDisplayObserver* CCounterWindow::Observer = nullptr;

long CCounterWindow::TimerResolutionHolders() {
  return timerResolutionHolders;
}

long CCounterWindow::ScrolledTickerFrames() { return scrolledTickerFrames; }

void CCounterWindow::ReleaseBackBuffer() {
  // The context goes first, so that the bitmap is no longer selected anywhere
  // when it is deleted; the digits' font is put back out of it before that.
  DigitFontSelected.reset();
  BackBufferDC.DeleteDC();
  BackBuffer.DeleteObject();
  DigitFontCopy.DeleteObject();
  Glyphs.Release();
}

RECT CCounterWindow::ChooseInitialRect() {
  if (::GetSystemMetrics(SM_CMONITORS) > 1) {
    Monitors.clear();
    ::EnumDisplayMonitors(nullptr, nullptr, &CollectMonitor, reinterpret_cast<LPARAM>(&Monitors));
    if (Monitors.size() >= 2) return Monitors[1];
  }
  // One monitor (or an enumeration that found fewer than two): dock the main
  // window at the bottom of the work area, full width, and take the rest.
  RECT workArea{0, 0, 0, 0};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
  int sheetHeight = 0;
  CWnd* main = AfxGetMainWnd();
  if (main && main->HasWindow() && main != this) {
    RECT sheet{};
    main->GetWindowRect(&sheet);
    sheetHeight = sheet.bottom - sheet.top;
    main->SetWindowPos(nullptr, 0, workArea.bottom - sheetHeight, workArea.right, sheetHeight,
                       SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const RECT display{0, 0, workArea.right, workArea.bottom - sheetHeight};
  RestoreRect = display;
  return display;
}

void CCounterWindow::KeepOnAMonitor(RECT& normal) {
  // The normal rectangle of a placement is in workspace coordinates: those of
  // the primary monitor's work area.
  MONITORINFO primary{};
  primary.cbSize = sizeof primary;
  const POINT origin{0, 0};
  if (!::GetMonitorInfoA(::MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &primary)) return;
  const int toScreenX = primary.rcWork.left - primary.rcMonitor.left;
  const int toScreenY = primary.rcWork.top - primary.rcMonitor.top;
  RECT onScreen = normal;
  ::OffsetRect(&onScreen, toScreenX, toScreenY);
  if (::MonitorFromRect(&onScreen, MONITOR_DEFAULTTONULL)) return;

  // Stored on a monitor that is gone: bring the window, with its size kept as
  // far as it fits, onto the work area of the nearest monitor.
  MONITORINFO nearest{};
  nearest.cbSize = sizeof nearest;
  if (!::GetMonitorInfoA(::MonitorFromRect(&onScreen, MONITOR_DEFAULTTONEAREST), &nearest)) return;
  const RECT& area = nearest.rcWork;
  const int width = std::min(onScreen.right - onScreen.left, area.right - area.left);
  const int height = std::min(onScreen.bottom - onScreen.top, area.bottom - area.top);
  const int left = std::clamp(onScreen.left, area.left, area.right - width);
  const int top = std::clamp(onScreen.top, area.top, area.bottom - height);
  normal = RECT{left - toScreenX, top - toScreenY, left - toScreenX + width, top - toScreenY + height};
}

void CCounterWindow::CreateDisplay(CCounter* pCounter, const CString& strName) {
  Counter = pCounter;
  const RECT rect = ChooseInitialRect();
  // A context of its own (CS_OWNDC): ticker frames go straight to the window
  // 33 times a second, and a common context is made up again (its font too)
  // at every GetDC, which under Wine cost a third of a frame.
  LPCTSTR windowClass = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS | CS_OWNDC,
                                            ::LoadCursorA(nullptr, IDC_ARROW), nullptr, nullptr);
  if (!CreateEx(0, windowClass, "Velto - " + strName, WS_POPUP | WS_BORDER | WS_SYSMENU | WS_THICKFRAME, rect,
                nullptr, 0, nullptr))
    return;

  if (CProfileStore* profile = AfxGetProfile(); profile && Counter) {
    std::vector<BYTE> stored;
    if (profile->GetProfileBinary(Counter->GetSectionName(), "WindowPlacement", stored) &&
        stored.size() == sizeof(WINDOWPLACEMENT)) {
      WINDOWPLACEMENT placement;
      std::memcpy(&placement, stored.data(), sizeof placement);
      placement.length = sizeof placement;
      KeepOnAMonitor(placement.rcNormalPosition);
      SetWindowPlacement(&placement);
    }
  }
  ShowWindow(SW_SHOW);
  CFrameClock::Instance().Join(*this);
}

void CCounterWindow::OnDestroy() {
  // Closed by the user (Alt+F4) or by its counter. It stays with the clock,
  // so that its counter keeps true time (and finishes, and lets the machine
  // sleep again) with no display on the screen.
  WindowTickerFont.reset();
  CWnd::OnDestroy();
}

int CCounterWindow::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
  HICON icon = static_cast<HICON>(::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_VELTO), IMAGE_ICON,
                                               0, 0, LR_DEFAULTSIZE | LR_SHARED));
  if (icon) SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SetTransparent(Transparent);
  if (HasWindow())
    SetWindowPos(OnTop ? &wndTopMost : &wndNoTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  return 0;
}

void CCounterWindow::SetTransparent(bool bTransparent) {
  Transparent = bTransparent;
  if (!HasWindow()) return;
  if (bTransparent) {
    ModifyStyleEx(0, WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(m_hWnd, RGB(0, 0, 0), 0, LWA_COLORKEY);
    ModifyStyle(WS_THICKFRAME, 0, SWP_FRAMECHANGED);
  } else {
    ModifyStyleEx(WS_EX_LAYERED, 0);
    ModifyStyle(0, WS_THICKFRAME, SWP_FRAMECHANGED);
  }
}

RECT CCounterWindow::TickerStrip() const {
  RECT strip{};
  GetClientRect(&strip);
  strip.top = strip.bottom - 2 * TickerHeight;
  return strip;
}

// ---- mouse -------------------------------------------------------------------

void CCounterWindow::SavePlacement() {
  if (!Counter) return;
  CProfileStore* profile = AfxGetProfile();
  if (!profile) return;
  WINDOWPLACEMENT placement{};
  if (OwnPlacement)
    placement = *OwnPlacement;
  else if (!GetWindowPlacement(&placement))
    return;
  profile->WriteProfileBinary(Counter->GetSectionName(), "WindowPlacement", reinterpret_cast<const BYTE*>(&placement),
                              sizeof placement);
}

void CCounterWindow::OnLButtonDown(UINT nFlags, CPoint point) {
  DragOrigin = point;
  Dragging = true;
  SetCapture();
  CWnd::OnLButtonDown(nFlags, point);
}

void CCounterWindow::OnMouseMove(UINT nFlags, CPoint point) {
  if (Dragging) {
    POINT cursor = point;
    ClientToScreen(&cursor);
    // The frame's width: where the client area starts inside the outer rectangle.
    POINT clientOrigin{0, 0};
    ClientToScreen(&clientOrigin);
    RECT outer{};
    GetWindowRect(&outer);
    const int frameX = clientOrigin.x - outer.left;
    const int frameY = clientOrigin.y - outer.top;
    SetWindowPos(nullptr, cursor.x - DragOrigin.x - frameX, cursor.y - DragOrigin.y - frameY, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  CWnd::OnMouseMove(nFlags, point);
}

void CCounterWindow::OnLButtonUp(UINT nFlags, CPoint point) {
  Dragging = false;
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  SavePlacement();
  CWnd::OnLButtonUp(nFlags, point);
}

void CCounterWindow::OnSizing(UINT fwSide, LPRECT pRect) {
  CWnd::OnSizing(fwSide, pRect);
  SavePlacement();
}

void CCounterWindow::OnLButtonDblClk(UINT nFlags, CPoint point) {
  ShowWindow(IsZoomed() ? SW_SHOWNORMAL : SW_SHOWMAXIMIZED);
  SavePlacement();
  CWnd::OnLButtonDblClk(nFlags, point);
}

// A display dragged onto a monitor of another DPI keeps its size in pixels:
// the digits and the ticker are fitted to the pixels of the client area, so
// there is nothing to scale, and growing by the DPI ratio (as the suggested
// rectangle would) could push a display that fills one monitor over the edge
// of the next. A maximised display is re-fitted to its new monitor by the
// system as usual.
LRESULT CCounterWindow::OnDpiChanged(WPARAM, LPARAM) {
  Invalidate(TRUE);
  return 0;
}

// ---- drawing -------------------------------------------------------------------

void CCounterWindow::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  CClientDC clientDC(this);
  ReleaseBackBuffer();
  if (cx > 0 && cy > 0) {
    BackBuffer.CreateCompatibleBitmap(&clientDC, cx, cy);
    BackBufferDC.CreateCompatibleDC(&clientDC);
    BackBufferDC.SelectObject(BackBuffer.GetSafeHandle());
  }
  // The buffer's own default bitmap comes back when the context is deleted,
  // so the back buffer is never selected at its deletion.
  // A repeater's next capture makes the snapshot again at the new size.
  Snapshot.Destroy();
  CreateTickerFont(cy);
  DigitsChanged = true;
  if (BackBufferDC.GetSafeHdc()) {
    BackBufferDC.SetBkMode(TRANSPARENT);
    BackBufferDC.SetTextColor(RGB(255, 255, 255));
  }
}

void CCounterWindow::CreateTickerFont(int nClientHeight) {
  const int size = Counter ? Counter->TickerSize : 0;
  const int divisor = size == 1 ? 12 : size == 2 ? 6 : 16;
  WindowTickerFont.reset();
  LineOnWindow = false;
  TickerFont.DeleteObject();
  TickerHeight = nClientHeight / divisor;
  TickerFont.CreateFont(TickerHeight, 0, 0, 0, 0, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
}

CString CCounterWindow::GetTickerText() const {
  return Counter ? Counter->Ticker : CString();
}

void CCounterWindow::RefreshDigits(const RECT& client) {
  DigitState = Counter->GetColourState();
  DigitColour = StateColour(*Counter, DigitState);
  DigitText = Counter->GetDisplayText();
  const bool hiddenByPause = Counter->Paused && !Counter->DisplayDuringPause;
  DigitsShown = !hiddenByPause && DigitState != Blank && DigitColour != RGB(0, 0, 0);
  DigitBox = RECT{0, 0, 0, 0};
  DigitFont = nullptr;
  DigitExtents.clear();
  CFrameClock::Instance().DigitsRefreshed();
  if (!DigitsShown) return;
  DigitFont = ShownDigitFont(client);
  SelectDigitFont(DigitFont);
  DigitExtents.assign(static_cast<std::size_t>(DigitText.GetLength()), 0);
  SIZE extent{0, 0};
  ::GetTextExtentExPointA(BackBufferDC.GetSafeHdc(), DigitText, DigitText.GetLength(), 0, nullptr, DigitExtents.data(),
                          &extent);
  // Centred as DrawText centres it, with room for italic and overhanging glyphs.
  DigitMargin = extent.cy / 8 + 4;
  const int marginY = extent.cy / 10 + 4;
  DigitLeft = (client.left + client.right - extent.cx) / 2;
  // Rounded as DrawText rounds, so that copied glyphs land where it draws them.
  const int top = client.top + (client.bottom - client.top) / 2 - extent.cy / 2;
  DigitTop = top;
  DigitBox =
      RECT{DigitLeft - DigitMargin, top - marginY, DigitLeft + extent.cx + DigitMargin, top + extent.cy + marginY};
  // Where the glyphs' ink lies: the empty part of the cell (below digits
  // without descenders, mostly) then needs no drawing when the ticker moves
  // past it.
  TEXTMETRICA metrics{};
  ::GetTextMetricsA(BackBufferDC.GetSafeHdc(), &metrics);
  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  const char* characters = DigitText;
  RECT ink{0, 0, 0, 0};
  const int fringe = 2 + extent.cy / 64;
  for (int i = 0; i < DigitText.GetLength(); ++i) {
    GLYPHMETRICS glyph{};
    if (::GetGlyphOutlineA(BackBufferDC.GetSafeHdc(), static_cast<unsigned char>(characters[i]), GGO_METRICS, &glyph, 0,
                           nullptr, &identity) == GDI_ERROR) {
      ink = DigitBox;  // not an outline font: the whole cell
      break;
    }
    const int start = DigitLeft + (i == 0 ? 0 : DigitExtents[static_cast<std::size_t>(i - 1)]);
    const int glyphTop = top + metrics.tmAscent - glyph.gmptGlyphOrigin.y;
    const RECT box{start + glyph.gmptGlyphOrigin.x - fringe, glyphTop - fringe,
                   start + glyph.gmptGlyphOrigin.x + static_cast<int>(glyph.gmBlackBoxX) + fringe,
                   glyphTop + static_cast<int>(glyph.gmBlackBoxY) + fringe};
    Unite(ink, box);
  }
  DigitBox = ink;
  ::IntersectRect(&DigitBox, &DigitBox, &client);
}

RECT CCounterWindow::DigitsRepaintArea(const RECT& client) {
  const RECT oldBox = DigitBox;
  const CString oldText = DigitText;
  const std::vector<int> oldExtents = DigitExtents;
  const bool oldShown = DigitsShown;
  const COLORREF oldColour = DigitColour;
  const HFONT oldFont = DigitFont;
  RefreshDigits(client);
  RECT area = oldBox;
  Unite(area, DigitBox);
  // The same font, colour and width: only the characters that changed (the
  // last digit, most seconds) are drawn again.
  if (!oldShown || !DigitsShown || oldColour != DigitColour || oldFont != DigitFont || oldExtents != DigitExtents ||
      oldText.GetLength() != DigitText.GetLength())
    return area;
  const int length = DigitText.GetLength();
  const char* before = oldText;
  const char* after = DigitText;
  int first = 0;
  while (first < length && before[first] == after[first]) ++first;
  if (first == length) return RECT{0, 0, 0, 0};
  int last = length - 1;
  while (before[last] == after[last]) --last;
  const int from = DigitLeft + (first == 0 ? 0 : DigitExtents[static_cast<std::size_t>(first - 1)]);
  const int to = DigitLeft + DigitExtents[static_cast<std::size_t>(last)];
  area = RECT{from - DigitMargin, std::min(oldBox.top, DigitBox.top), to + DigitMargin,
              std::max(oldBox.bottom, DigitBox.bottom)};
  // The glyphs' ink, where the cache knows it exactly: the pixels that can
  // change, a good deal fewer than the cells with their margins.
  RECT oldInk{}, newInk{};
  if (CacheGlyphs &&
      Glyphs.Ink(BackBufferDC, DigitFont, DigitColour, Transparent, DigitLeft, DigitTop, oldText, DigitExtents, first,
                 last, oldInk) &&
      Glyphs.Ink(BackBufferDC, DigitFont, DigitColour, Transparent, DigitLeft, DigitTop, DigitText, DigitExtents,
                 first, last, newInk)) {
    area = oldInk;
    Unite(area, newInk);
    ::IntersectRect(&area, &area, &client);
    // Of the pixels in that box, only the old characters' can be other than
    // black or the glyphs copied over them.
    DigitsArea = area;
    ::IntersectRect(&DigitsStale, &oldInk, &client);
    return area;
  }
  ::IntersectRect(&area, &area, &client);
  return area;
}

void CCounterWindow::SelectDigitFont(HFONT font) {
  LOGFONT wanted{};
  if (!font || ::GetObjectA(font, sizeof wanted, &wanted) != sizeof wanted) {
    DigitFontSelected.reset();
    return;
  }
  if (DigitFontSelected && DigitFontCopy.GetSafeHandle() &&
      std::memcmp(&wanted, &DigitFontCopyOf, sizeof wanted) == 0 &&
      ::GetCurrentObject(BackBufferDC.GetSafeHdc(), OBJ_FONT) == DigitFontCopy.GetSafeHandle())
    return;
  DigitFontSelected.reset();
  DigitFontCopy.DeleteObject();
  DigitFontCopyOf = wanted;
  if (DigitFontCopy.CreateFontIndirect(&wanted)) DigitFontSelected.emplace(BackBufferDC, DigitFontCopy.GetSafeHandle());
}

void CCounterWindow::AdvanceTicker(int width) {
  const DWORD now = AfxGetClock().TimeGetTime();
  int elapsed = static_cast<int>(static_cast<int32_t>(now - LastPaintTime));
  LastPaintTime = now;
  if (elapsed < 0) elapsed = 0;
  if (elapsed > 1000) elapsed = 1000;
  if (Counter && !Counter->Ticker.IsEmpty()) TickerOffset += (width / 1000.0) * elapsed * 0.1;
}

HFONT CCounterWindow::ShownDigitFont(const RECT& client) {
  TextStyle& style = DigitState == Orange ? Counter->OrangeStyle
                     : DigitState == Red  ? Counter->RedStyle
                                          : Counter->NormalStyle;
  return style.FitFont(&BackBufferDC, client, DigitText);
}

void CCounterWindow::RenderArea(const RECT& client, const RECT& area) {
  BackBufferDC.SelectClipRgn(nullptr);
  BackBufferDC.IntersectClipRect(area);
  BackBufferDC.SetTextColor(DigitColour);
  RECT inside{};
  const bool digits = DigitsShown && ::IntersectRect(&inside, &area, &DigitBox);
  const HFONT font = digits ? ShownDigitFont(client) : nullptr;
  // The cache clears what its glyphs leave uncovered itself.
  if (!digits || !CacheGlyphs ||
      !Glyphs.Draw(BackBufferDC, font, DigitColour, Transparent, area, area, DigitLeft, DigitTop, DigitText,
                   DigitExtents)) {
    BackBufferDC.PatBlt(area.left, area.top, area.right - area.left, area.bottom - area.top, BLACKNESS);
    if (digits) {
      CSelectGuard select(BackBufferDC, font);
      RECT box = client;
      BackBufferDC.DrawText(DigitText, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
  }
  if (!Counter->Ticker.IsEmpty()) DrawTicker(&BackBufferDC, client);
}

bool CCounterWindow::DrawDigitsOnWindow(const RECT& client, const RECT& area) {
  RECT overlap{};
  if (!CacheGlyphs || !DigitsShown) return false;
  if (!Counter->Ticker.IsEmpty()) {
    RECT strip = TickerStrip();
    if (::IntersectRect(&overlap, &area, &strip) || ::IntersectRect(&overlap, &area, &TickerDrawn)) return false;
  }
  const HFONT font = ShownDigitFont(client);
  CClientDC window(this);
  // The window's own context keeps its state between frames: the clip set
  // here must not outlive this frame. (Saving and restoring the whole
  // context would select its font again, which costs more than the copy.)
  window.IntersectClipRect(area);
  const RECT& stale = ::EqualRect(&area, &DigitsArea) ? DigitsStale : area;
  const bool drawn =
      Glyphs.Draw(window, font, DigitColour, Transparent, area, stale, DigitLeft, DigitTop, DigitText, DigitExtents);
  window.SelectClipRgn(nullptr);
  return drawn;
}

void CCounterWindow::OnPaint() {
  if (Observer) Observer->PaintBegin(*this);
  CPaintDC paintDC(this);
  RECT client{};
  GetClientRect(&client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (!BackBufferDC.GetSafeHdc() || !Counter) {
    paintDC.PatBlt(0, 0, width, height, BLACKNESS);
    if (Observer) Observer->PaintEnd(*this);
    return;
  }

  // A paint asked for by others (a page, the system) may follow any change:
  // everything is worked out again.
  RefreshDigits(client);
  DigitsChanged = false;
  TickerColourShown = Counter->AutoTickerColour ? DigitColour : Counter->TickerColour;
  AdvanceTicker(width);
  RenderArea(client, paintDC.m_ps.rcPaint);
  // The ticker may have moved outside the area painted: the next frame
  // redraws its whole line.
  TickerDrawn = RECT{0, 0, 0, 0};
  LineOnWindow = false;
  if (!Counter->Ticker.IsEmpty()) {
    TickerDrawn = TickerStrip();
    ::IntersectRect(&TickerDrawn, &TickerDrawn, &client);
  }

  paintDC.BitBlt(0, 0, width, height, &BackBufferDC, 0, 0, SRCCOPY);
  if (Observer) Observer->PaintEnd(*this);
  CFrameClock::Instance().Replan();
}

void CCounterWindow::CounterChanged() {
  CRemoteControl::Instance().NoteShownChange();
  if (InClockStep) {
    DigitsChanged = true;
    return;
  }
  if (HasWindow()) Invalidate(TRUE);
  CFrameClock::Instance().Replan();
}

void CCounterWindow::PlanChanged() {
  if (!InClockStep) CFrameClock::Instance().Replan();
}

char CCounterWindow::GlyphAhead() {
  if (!CacheGlyphs || !DigitsShown || !Counter || !BackBufferDC.GetSafeHdc() || !HasWindow() || !IsWindowVisible())
    return 0;
  // The last digit's neighbours first: they are the next second's.
  std::string wanted;
  const char* text = DigitText;
  for (int i = DigitText.GetLength() - 1; i >= 0 && wanted.size() < 10; --i) {
    if (text[i] < '0' || text[i] > '9') continue;
    const int digit = text[i] - '0';
    for (const char next : {static_cast<char>('0' + (digit + 9) % 10), static_cast<char>('0' + (digit + 1) % 10)})
      if (wanted.find(next) == std::string::npos) wanted += next;
  }
  if (wanted.empty()) return 0;
  RECT client{};
  GetClientRect(&client);
  return Glyphs.Missing(ShownDigitFont(client), DigitColour, Transparent, wanted.c_str());
}

bool CCounterWindow::RenderGlyphAhead() {
  const char c = GlyphAhead();
  if (!c) return false;
  RECT client{};
  GetClientRect(&client);
  Glyphs.Make(BackBufferDC, ShownDigitFont(client), DigitColour, Transparent, c);
  return true;
}

bool CCounterWindow::WantsTickerFrames() const {
  return Counter && !Counter->Ticker.IsEmpty() && HasWindow() && IsWindowVisible();
}

RECT CCounterWindow::ClockStep(DWORD now, int64_t wallMs, bool tickerFrame) {
  if (!Counter) return RECT{0, 0, 0, 0};
  DWORD due = 0;
  const bool tickDue = CounterNextDue(*Counter, now, wallMs, due) && IsDue(now, due);
  const bool frame = tickerFrame && WantsTickerFrames();
  if (!tickDue && !frame) return RECT{0, 0, 0, 0};
  if (tickDue) {
    if (Observer) Observer->TimerBegin(*this);
    InClockStep = true;
    Counter->Tick();
    InClockStep = false;
    if (Observer) Observer->TimerEnd(*this);
  }
  return DrawFrame(frame);
}

RECT CCounterWindow::DrawFrame(bool tickerFrame) {
  RECT area{0, 0, 0, 0};
  if (!Counter || !HasWindow() || !BackBufferDC.GetSafeHdc() || !IsWindowVisible()) {
    // Hidden: showing it again repaints it whole.
    DigitsChanged = false;
    LineOnWindow = false;
    return area;
  }
  RECT client{};
  GetClientRect(&client);
  DigitsArea = DigitsStale = RECT{0, 0, 0, 0};
  if (DigitsChanged) {
    DigitsChanged = false;
    Unite(area, DigitsRepaintArea(client));
    // An automatically coloured ticker follows the digits' colour.
    const COLORREF tickerColour = Counter->AutoTickerColour ? DigitColour : Counter->TickerColour;
    if (!Counter->Ticker.IsEmpty() && tickerColour != TickerColourShown) {
      RECT strip = TickerStrip();
      ::IntersectRect(&strip, &strip, &client);
      Unite(area, strip);
    }
    TickerColourShown = tickerColour;
  }
  // Only ticker frames move the ticker: a counted second draws no more than
  // its digits, so that it reaches the screen sooner.
  RECT tickerArea{0, 0, 0, 0};
  if (tickerFrame) {
    AdvanceTicker(client.right - client.left);
    tickerArea = TickerDrawn;
    TickerDrawn = RECT{0, 0, 0, 0};
    if (!Counter->Ticker.IsEmpty()) {
      MeasureTicker(BackBufferDC);
      TickerDrawn = TickerTextBox(client);
      Unite(tickerArea, TickerDrawn);
    }
  }
  // The ticker's line clear of the digits and of what the buffer draws now
  // goes straight onto the window, after the digits.
  RECT overlap{};
  const bool tickerApart = !::IsRectEmpty(&tickerArea) && !Transparent &&
                           !(DigitsShown && ::IntersectRect(&overlap, &tickerArea, &DigitBox)) &&
                           !::IntersectRect(&overlap, &tickerArea, &area);
  if (!tickerApart) Unite(area, tickerArea);
  // What the back buffer's copy puts on the ticker's line is not the line of
  // the last frame any more.
  RECT lineBox = TickerDrawn;
  Unite(lineBox, tickerArea);
  if (!tickerApart && ::IntersectRect(&overlap, &area, &lineBox)) LineOnWindow = false;
  if (!::IsRectEmpty(&area)) {
    if (Observer) Observer->PaintBegin(*this);
    // A counted second with nothing else in its area goes straight onto the
    // window: no clearing of the buffer and no copy of it.
    if (!DrawDigitsOnWindow(client, area)) {
      RenderArea(client, area);
      CClientDC window(this);
      window.BitBlt(area.left, area.top, area.right - area.left, area.bottom - area.top, &BackBufferDC, area.left,
                    area.top, SRCCOPY);
    }
    if (Observer) Observer->PaintEnd(*this);
  }
  if (tickerApart) {
    if (Observer) Observer->PaintBegin(*this);
    DrawTickerLine(client, tickerArea);
    if (Observer) Observer->PaintEnd(*this);
    Unite(area, tickerArea);
  }
  return area;
}

void CCounterWindow::DrawTickerLine(const RECT& client, const RECT& line) {
  // The window's own context keeps what is set here between frames, the
  // font too: selecting one is not free (the X11 driver under Wine reads the
  // user's X resources each time).
  CClientDC window(this);
  if (!WindowTickerFont) WindowTickerFont.emplace(window, TickerFont.GetSafeHandle());
  window.SetBkMode(TRANSPARENT);
  ::SetBkColor(window.GetSafeHdc(), RGB(0, 0, 0));
  const COLORREF colour = Counter->AutoTickerColour ? DigitColour : Counter->TickerColour;
  window.SetTextColor(colour);
  const int x = client.right - static_cast<int>(std::lround(TickerOffset));
  RECT draw = line;
  const bool kept = LineKept(window.GetSafeHdc(), line);
  if (kept && CanScrollLine(line, x - LineX, colour)) {
    // The text moved left by whole pixels: one copy moves what the window
    // shows, and only the strip that the move uncovers is drawn.
    RECT uncovered{0, 0, 0, 0};
    if (x == LineX || ::ScrollDC(window.GetSafeHdc(), x - LineX, 0, &line, &line, nullptr, &uncovered)) {
      draw = uncovered;
      ++scrolledTickerFrames;
    }
  }
  // One call clears the area and draws the text over it, so the line is
  // never seen empty.
  const TickerRun run = VisibleTicker(client, draw);
  if (!::IsRectEmpty(&draw))
    ::ExtTextOutA(window.GetSafeHdc(), run.X, run.Y, ETO_OPAQUE | ETO_CLIPPED, &draw,
                  static_cast<LPCSTR>(Counter->Ticker) + run.First, static_cast<UINT>(run.Count), nullptr);
  // A line drawn partly under another window is not all on the window: the
  // next frame draws it whole again.
  LineOnWindow = kept && !Counter->Ticker.IsEmpty() && !TickerExtents.empty();
  LineX = x;
  LineColour = colour;
}

bool CCounterWindow::CanScrollLine(const RECT& line, int step, COLORREF colour) const {
  return ScrollTicker && LineOnWindow && colour == LineColour && step <= 0 && -step < line.right - line.left &&
         !Counter->Ticker.IsEmpty() && !TickerExtents.empty();
}

void CCounterWindow::MeasureTicker(CDC& dc) {
  const CString& text = Counter->Ticker;
  HFONT font = static_cast<HFONT>(TickerFont.GetSafeHandle());
  if (font == MeasuredFont && text == MeasuredTicker) return;
  MeasuredTicker = text;
  MeasuredFont = font;
  LineOnWindow = false;
  TickerExtents.assign(static_cast<std::size_t>(text.GetLength()), 0);
  TickerCellHeight = 0;
  if (text.IsEmpty()) return;
  CSelectGuard select(dc, font);
  SIZE size{0, 0};
  ::GetTextExtentExPointA(dc.GetSafeHdc(), text, text.GetLength(), 0, nullptr, TickerExtents.data(), &size);
  TickerCellHeight = size.cy;
}

RECT CCounterWindow::TickerTextBox(const RECT& client) const {
  if (TickerExtents.empty()) return RECT{0, 0, 0, 0};
  const int x = client.right - static_cast<int>(std::lround(TickerOffset));
  const int top = client.bottom - TickerHeight - 10;
  const int overhang = TickerHeight / 4 + 2;
  RECT box{x - overhang, top - 2, x + TickerExtents.back() + overhang, top + TickerCellHeight + 2};
  ::IntersectRect(&box, &box, &client);
  return box;
}

CCounterWindow::TickerRun CCounterWindow::VisibleTicker(const RECT& client, const RECT& bounds) {
  TickerRun run;
  const int width = TickerExtents.empty() ? 0 : TickerExtents.back();
  run.X = client.right - static_cast<int>(std::lround(TickerOffset));
  run.Y = client.bottom - TickerHeight - 10;
  // Fully off to the left: the next frame starts again at the right edge.
  if (run.X + width <= 0) TickerOffset = 0.0;
  // Widths of another text (not measured again yet) place nothing.
  if (TickerExtents.empty() || MeasuredTicker != Counter->Ticker) return run;
  // Only the characters that reach into bounds (and a glyph's overhang
  // beyond them): a long text costs what a short one does.
  const int overhang = TickerHeight + 2;
  const auto begin = TickerExtents.begin();
  const auto end = TickerExtents.end();
  // First character whose right edge passes the left side of bounds.
  const std::size_t first =
      static_cast<std::size_t>(std::upper_bound(begin, end, bounds.left - overhang - run.X) - begin);
  // One past the last character whose left edge stands before the right
  // side; character i starts where character i - 1 ends.
  const int limit = bounds.right + overhang - run.X;
  const std::size_t last =
      limit <= 0 ? 0 : 1 + static_cast<std::size_t>(std::lower_bound(begin, end - 1, limit) - begin);
  if (first >= last) return run;
  run.X += first == 0 ? 0 : TickerExtents[first - 1];
  run.First = static_cast<int>(first);
  run.Count = static_cast<int>(last - first);
  return run;
}

void CCounterWindow::DrawTicker(CDC* pDC, const RECT& client) {
  if (!pDC || !Counter) return;
  CSelectGuard select(*pDC, TickerFont.GetSafeHandle());
  MeasureTicker(*pDC);
  // The digits' colour as last worked out: it changes only with the digits.
  pDC->SetTextColor(Counter->AutoTickerColour ? DigitColour : Counter->TickerColour);
  RECT clip{};
  const bool visible = ::GetClipBox(pDC->GetSafeHdc(), &clip) != NULLREGION;
  const TickerRun run = VisibleTicker(client, visible ? clip : RECT{0, 0, 0, 0});
  if (run.Count > 0)
    ::TextOutA(pDC->GetSafeHdc(), run.X, run.Y, static_cast<LPCSTR>(Counter->Ticker) + run.First, run.Count);
}

void CCounterWindow::ReleaseSnapshot() { Snapshot.Destroy(); }

void CCounterWindow::CaptureSnapshot() {
  RECT client{};
  GetClientRect(&client);
  if (!HasWindow()) return;
  ClientToScreen(&client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;
  if (Snapshot.IsNull() || Snapshot.GetWidth() != width || Snapshot.GetHeight() != height) {
    Snapshot.Destroy();
    Snapshot.CreateEx(width, height, 24, BI_RGB, nullptr, 0);
    if (Snapshot.IsNull()) return;
  }
  CClientDC screen(nullptr);
  CDC image;
  image.Attach(Snapshot.GetDC());
  image.BitBlt(0, 0, width, height, &screen, client.left, client.top, SRCCOPY);
  if (Transparent && BackBufferDC.GetSafeHdc())
    image.TransparentBlt(0, 0, width, height, &BackBufferDC, 0, 0, width, height, RGB(0, 0, 0));
  image.Detach();
  Snapshot.ReleaseDC();
}
