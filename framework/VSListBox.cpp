#include "framework/VSListBox.h"

#include <uxtheme.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#include "framework/Gdi.h"

namespace {

constexpr UINT ListId = 0x7F00;
constexpr UINT EditorId = 0x7F10;
constexpr int GlyphSize = 16;
constexpr int GlyphCount = 4;
constexpr int NameLimit = 255;

// ---- Button glyphs, drawn at run time -------------------------------------
// Each glyph is a stack of shapes painted back to front and sampled 4x4 per
// pixel, so that the edges come out smooth on any background.

struct Rgb {
  int R, G, B;
};

struct Point2 {
  double X, Y;
};

double SegmentDistance(Point2 p, Point2 a, Point2 b) {
  const double dx = b.X - a.X, dy = b.Y - a.Y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.X - a.X) * dx + (p.Y - a.Y) * dy) / length2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = a.X + t * dx - p.X, ey = a.Y + t * dy - p.Y;
  return std::sqrt(ex * ex + ey * ey);
}

// Inside the closed polygon and at least inset away from its edges.
bool InsidePolygon(Point2 p, const std::vector<Point2>& polygon, double inset) {
  bool inside = false;
  double nearest = 1e9;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const Point2 a = polygon[i], b = polygon[j];
    if ((a.Y > p.Y) != (b.Y > p.Y) && p.X < (b.X - a.X) * (p.Y - a.Y) / (b.Y - a.Y) + a.X) inside = !inside;
    nearest = std::min(nearest, SegmentDistance(p, a, b));
  }
  return inside && nearest >= inset;
}

bool InsideRect(Point2 p, double left, double top, double right, double bottom) {
  return p.X >= left && p.X < right && p.Y >= top && p.Y < bottom;
}

// The colour of the top-most shape at p, or false where no shape is.
bool GlyphColour(int glyph, Point2 p, Rgb& colour) {
  bool hit = false;
  auto layer = [&](bool inside, Rgb c) {
    if (inside) {
      colour = c;
      hit = true;
    }
  };
  switch (glyph) {
    case 0: {  // folder
      const Rgb edge{138, 101, 16}, back{230, 180, 64}, front{247, 213, 110}, shine{252, 236, 170};
      layer(InsideRect(p, 1, 2, 7.5, 6), edge);
      layer(InsideRect(p, 2, 3, 6.5, 6), back);
      layer(InsideRect(p, 1, 4.5, 15, 14.5), edge);
      layer(InsideRect(p, 2, 5.5, 14, 13.5), front);
      layer(InsideRect(p, 2, 5.5, 14, 6.5), shine);
      break;
    }
    case 1: {  // red cross
      const Point2 a{3.5, 3.5}, b{12.5, 12.5}, c{12.5, 3.5}, d{3.5, 12.5};
      const double distance = std::min(SegmentDistance(p, a, b), SegmentDistance(p, c, d));
      layer(distance <= 2.2, Rgb{140, 16, 16});
      layer(distance <= 1.35, Rgb{226, 58, 46});
      break;
    }
    case 2:
    case 3: {  // arrows up and down
      std::vector<Point2> arrow = {{8, 1}, {15, 8}, {11, 8}, {11, 15}, {5, 15}, {5, 8}, {1, 8}};
      if (glyph == 3)
        for (Point2& v : arrow) v.Y = 16 - v.Y;
      layer(InsidePolygon(p, arrow, 0), Rgb{29, 78, 143});
      layer(InsidePolygon(p, arrow, 1.1), Rgb{70, 146, 226});
      break;
    }
    default:
      break;
  }
  return hit;
}

// The four glyphs side by side as premultiplied 32-bit pixels, top row first.
std::vector<uint32_t> GlyphPixels(bool disabled) {
  std::vector<uint32_t> pixels(static_cast<std::size_t>(GlyphSize * GlyphCount * GlyphSize), 0);
  constexpr int Samples = 4;
  for (int glyph = 0; glyph < GlyphCount; ++glyph) {
    for (int y = 0; y < GlyphSize; ++y) {
      for (int x = 0; x < GlyphSize; ++x) {
        double r = 0, g = 0, b = 0, a = 0;
        for (int sy = 0; sy < Samples; ++sy) {
          for (int sx = 0; sx < Samples; ++sx) {
            Rgb c{};
            const Point2 p{x + (sx + 0.5) / Samples, y + (sy + 0.5) / Samples};
            if (!GlyphColour(glyph, p, c)) continue;
            r += c.R;
            g += c.G;
            b += c.B;
            a += 1;
          }
        }
        if (a == 0) continue;
        const double coverage = a / (Samples * Samples);
        r /= a;
        g /= a;
        b /= a;
        double alpha = coverage;
        if (disabled) {
          const double grey = 0.3 * r + 0.59 * g + 0.11 * b;
          r = g = b = 96 + grey * 0.45;
          alpha *= 0.55;
        }
        auto channel = [alpha](double v) { return static_cast<uint32_t>(std::lround(v * alpha)) & 0xFF; };
        const uint32_t pixel =
            (static_cast<uint32_t>(std::lround(alpha * 255)) << 24) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
        const int index = y * GlyphSize * GlyphCount + glyph * GlyphSize + x;
        pixels[static_cast<std::size_t>(index)] = pixel;
      }
    }
  }
  return pixels;
}

BOOL LoadGlyphs(CImageList& list, bool disabled) {
  if (!list.Create(GlyphSize, GlyphSize, ILC_COLOR32, GlyphCount, 0)) return FALSE;
  const std::vector<uint32_t> pixels = GlyphPixels(disabled);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = GlyphSize * GlyphCount;
  info.bmiHeader.biHeight = -GlyphSize;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  CGdiObject strip;
  strip.Attach(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!strip.GetSafeHandle() || !bits) return FALSE;
  std::memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
  // The image list keeps a copy; the strip goes with this scope.
  return list.Add(static_cast<HBITMAP>(strip.GetSafeHandle())) >= 0;
}

CString Trimmed(const CString& text) {
  const std::string& s = text.Str();
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::size_t first = 0, last = s.size();
  while (first < last && blank(s[first])) ++first;
  while (last > first && blank(s[last - 1])) --last;
  return CString(s.substr(first, last - first));
}

struct ButtonInfo {
  UINT Flag;
  UINT Id;
  int Glyph;
  const char* ToolTip;
};

constexpr ButtonInfo StandardButtons[] = {
    {AFX_VSLISTBOX_BTN_NEW, CVSListBox::NewButtonId, 0, "New"},
    {AFX_VSLISTBOX_BTN_DELETE, CVSListBox::DeleteButtonId, 1, "Delete"},
    {AFX_VSLISTBOX_BTN_UP, CVSListBox::MoveUpButtonId, 2, "Move Item Up"},
    {AFX_VSLISTBOX_BTN_DOWN, CVSListBox::MoveDownButtonId, 3, "Move Item Down"},
};

}  // namespace

IMPLEMENT_DYNAMIC(CVSListBox, CWnd)

CVSListBox::CVSListBox() {
  List.Owner = this;
  Editor.Owner = this;
}

CVSListBox::~CVSListBox() {
  // Whatever the parts report while they go, there is no edit to end.
  EditingIndex = -1;
  if (ToolTip && ::IsWindow(ToolTip)) ::DestroyWindow(ToolTip);
  ToolTip = nullptr;
}

const char* CVSListBox::ButtonToolTip(UINT id) {
  for (const ButtonInfo& button : StandardButtons)
    if (button.Id == id) return button.ToolTip;
  return "";
}

// ---- Window -----------------------------------------------------------------

void CVSListBox::PreSubclassWindow() {
  // The frame control's own painting and mouse handling are left out from now
  // on; this object draws the caption and holds the list and the bar.
  ModifyStyle(0, WS_CLIPCHILDREN);
  ModifyStyleEx(WS_EX_TRANSPARENT, WS_EX_CONTROLPARENT);
  CreateParts();
}

HFONT CVSListBox::Font() const {
  HFONT font = reinterpret_cast<HFONT>(::CallWindowProcA(m_pfnSuper ? m_pfnSuper : &::DefWindowProcA, m_hWnd,
                                                         WM_GETFONT, 0, 0));
  if (!font) font = reinterpret_cast<HFONT>(::SendMessageA(::GetParent(m_hWnd), WM_GETFONT, 0, 0));
  return font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

void CVSListBox::CreateParts() {
  RECT client{};
  GetClientRect(&client);
  const DWORD listStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | LVS_REPORT | LVS_SINGLESEL |
                          LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER;
  if (!List.CreateEx(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", listStyle, client, this, ListId)) return;
  ::SetWindowTheme(List.GetSafeHwnd(), L"Explorer", nullptr);
  List.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
                   LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  List.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
  // Rows a little taller than the text: easier to hit, and the editor fits inside one.
  if (RowSpacer.Create(1, TextHeight() + 8, ILC_COLOR32, 0, 0))
    List.SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(RowSpacer.GetSafeHandle()));
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  column.cx = client.right - client.left;
  List.SendMessage(LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  for (int i = 0; i < GetCount(); ++i) InsertRow(i);
  Layout();
}

void CVSListBox::CreateButtons() {
  if (ToolBar) {
    ::DestroyWindow(ToolBar);
    ToolBar = nullptr;
  }
  if (ToolTip) {
    ::DestroyWindow(ToolTip);
    ToolTip = nullptr;
  }
  if (!Buttons || !m_hWnd) {
    Layout();
    return;
  }
  ToolBar = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | CCS_NORESIZE |
                                  CCS_NOPARENTALIGN | CCS_NODIVIDER,
                              0, 0, 0, 0, m_hWnd, nullptr, AfxGetInstanceHandle(), nullptr);
  if (!ToolBar) return;
  ::SendMessageA(ToolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  ::SendMessageA(ToolBar, TB_SETBITMAPSIZE, 0, MAKELPARAM(GlyphSize, GlyphSize));
  if (!Images.GetSafeHandle()) LoadGlyphs(Images, false);
  if (!DisabledImages.GetSafeHandle()) LoadGlyphs(DisabledImages, true);
  ::SendMessageA(ToolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(Images.GetSafeHandle()));
  ::SendMessageA(ToolBar, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(DisabledImages.GetSafeHandle()));
  std::vector<TBBUTTON> buttons;
  for (const ButtonInfo& info : StandardButtons) {
    if (!(Buttons & info.Flag)) continue;
    TBBUTTON button{};
    button.iBitmap = info.Glyph;
    button.idCommand = static_cast<int>(info.Id);
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON;
    button.iString = -1;
    buttons.push_back(button);
  }
  ::SendMessageA(ToolBar, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));

  ToolTip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                              AfxGetInstanceHandle(), nullptr);
  if (ToolTip) {
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      TTTOOLINFOA tool{};
      tool.cbSize = sizeof tool;
      tool.uFlags = TTF_SUBCLASS;
      tool.hwnd = ToolBar;
      tool.uId = static_cast<UINT_PTR>(buttons[i].idCommand);
      ::SendMessageA(ToolBar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&tool.rect));
      tool.lpszText = const_cast<LPSTR>(ButtonToolTip(static_cast<UINT>(buttons[i].idCommand)));
      ::SendMessageA(ToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
  }
  Layout();
  UpdateButtons();
}

int CVSListBox::TextHeight() const {
  int height = 13;
  if (HDC dc = ::GetDC(m_hWnd)) {
    HGDIOBJ previous = ::SelectObject(dc, Font());
    TEXTMETRICA metrics{};
    if (::GetTextMetricsA(dc, &metrics)) height = metrics.tmHeight;
    ::SelectObject(dc, previous);
    ::ReleaseDC(m_hWnd, dc);
  }
  return height;
}

int CVSListBox::CaptionHeight() const {
  int height = TextHeight() + 6;
  if (ToolBar) {
    const LRESULT size = ::SendMessageA(ToolBar, TB_GETBUTTONSIZE, 0, 0);
    height = std::max(height, static_cast<int>(HIWORD(size)) + 2);
  }
  return height;
}

void CVSListBox::Layout() {
  if (!m_hWnd) return;
  RECT client{};
  GetClientRect(&client);
  const int caption = CaptionHeight();
  if (ToolBar) {
    const int count = static_cast<int>(::SendMessageA(ToolBar, TB_BUTTONCOUNT, 0, 0));
    RECT last{};
    if (count > 0) ::SendMessageA(ToolBar, TB_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&last));
    const LRESULT size = ::SendMessageA(ToolBar, TB_GETBUTTONSIZE, 0, 0);
    const int width = last.right;
    const int height = HIWORD(size);
    ::SetWindowPos(ToolBar, nullptr, client.right - width, (caption - height) / 2, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (List.HasWindow())
    List.SetWindowPos(nullptr, 0, caption, client.right, std::max(0, static_cast<int>(client.bottom) - caption),
                      SWP_NOZORDER | SWP_NOACTIVATE);
  FitColumn();
  Invalidate(FALSE);
}

void CVSListBox::FitColumn() {
  if (!List.HasWindow()) return;
  RECT client{};
  List.GetClientRect(&client);
  List.SendMessage(LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(client.right - client.left, 0));
}

void CVSListBox::Paint() {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(m_hWnd, &paint);
  // The frame class may hand out its parent's context: leave the parts out.
  for (HWND part : {List.GetSafeHwnd(), ToolBar}) {
    if (!part || !::IsWindowVisible(part)) continue;
    RECT r{};
    ::GetWindowRect(part, &r);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    ::ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
  }
  RECT client{};
  GetClientRect(&client);
  HWND parent = ::GetParent(m_hWnd);
  HBRUSH background = reinterpret_cast<HBRUSH>(
      ::SendMessageA(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hWnd)));
  if (!background) background = ::GetSysColorBrush(COLOR_BTNFACE);
  ::FillRect(dc, &client, background);

  RECT caption = client;
  caption.bottom = caption.top + CaptionHeight();
  if (ToolBar) {
    RECT bar{};
    ::GetWindowRect(ToolBar, &bar);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&bar), 2);
    caption.right = bar.left - 4;
  }
  caption.left += 1;
  const CString text = GetWindowText();
  HGDIOBJ previous = ::SelectObject(dc, Font());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(IsWindowEnabled() ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  ::DrawTextA(dc, text, text.GetLength(), &caption, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  ::SelectObject(dc, previous);
  ::EndPaint(m_hWnd, &paint);
}

LRESULT CVSListBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:  // NOLINT(bugprone-branch-clone): TRUE, HTCLIENT and NFR_ANSI only happen to be equal
      return TRUE;
    case WM_NCHITTEST:
      return HTCLIENT;
    case WM_NOTIFYFORMAT:
      return NFR_ANSI;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_SETFOCUS:
      if (List.HasWindow()) ::SetFocus(List.GetSafeHwnd());
      return 0;
    case WM_SETTEXT: {
      const LRESULT result = ::DefWindowProcA(m_hWnd, message, wParam, lParam);
      Invalidate(FALSE);
      return result;
    }
    case WM_SETFONT: {
      ::CallWindowProcA(m_pfnSuper ? m_pfnSuper : &::DefWindowProcA, m_hWnd, WM_SETFONT, wParam, FALSE);
      if (List.HasWindow()) List.SendMessage(WM_SETFONT, wParam, FALSE);
      if (Editor.HasWindow()) Editor.SendMessage(WM_SETFONT, wParam, FALSE);
      Layout();
      return 0;
    }
    case WM_ENABLE:
    case WM_UPDATEUISTATE:
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
      Invalidate(FALSE);
      return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
    case WM_DESTROY:
      // An edit that is open when the window goes is dropped, not applied.
      EditingIndex = -1;
      EditingNewItem = false;
      if (ToolTip) {
        ::DestroyWindow(ToolTip);
        ToolTip = nullptr;
      }
      ToolBar = nullptr;
      break;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case NewButtonId:
          CreateNewItem();
          return 0;
        case DeleteButtonId:
          RemoveSelectedItem();
          return 0;
        case MoveUpButtonId:
          MoveSelectedItem(-1);
          return 0;
        case MoveDownButtonId:
          MoveSelectedItem(+1);
          return 0;
        default:
          return 0;
      }
    case WM_NOTIFY: {
      LRESULT result = 0;
      HandleListNotify(reinterpret_cast<NMHDR*>(lParam), &result);
      return result;
    }
    default:
      break;
  }
  // The frame control keeps only its bookkeeping (font, text, creation and
  // destruction); everything it would draw or answer to the mouse is ours.
  switch (message) {
    case WM_GETFONT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_DESTROY:
    case WM_NCDESTROY:
    case WM_GETDLGCODE:
      return CWnd::WindowProc(message, wParam, lParam);
    default:
      return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
  }
}

void CVSListBox::HandleListNotify(NMHDR* header, LRESULT* result) {
  if (!header || header->hwndFrom != List.GetSafeHwnd()) return;
  switch (header->code) {
    case LVN_ITEMCHANGED: {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
      if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED)) {
        OnSelectionChanged();
        UpdateButtons();
      }
      break;
    }
    case LVN_GETDISPINFOA: {
      auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
      if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
        const CString text = GetItemText(info->item.iItem);
        lstrcpynA(info->item.pszText, text, info->item.cchTextMax);
      }
      break;
    }
    case LVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
      if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
        const CString text = GetItemText(info->item.iItem);
        const int written =
            ::MultiByteToWideChar(CP_ACP, 0, text, -1, info->item.pszText, info->item.cchTextMax);
        if (written <= 0) info->item.pszText[0] = L'\0';
        info->item.pszText[info->item.cchTextMax - 1] = L'\0';
      }
      break;
    }
    default:
      break;
  }
  *result = 0;
}

BOOL CVSListBox::SetStandardButtons(UINT buttons) {
  Buttons = buttons & (AFX_VSLISTBOX_BTN_NEW | AFX_VSLISTBOX_BTN_DELETE | AFX_VSLISTBOX_BTN_UP | AFX_VSLISTBOX_BTN_DOWN);
  CreateButtons();
  return TRUE;
}

void CVSListBox::UpdateButtons() {
  if (!ToolBar) return;
  const int selected = GetSelItem();
  const int count = GetCount();
  auto enable = [this](UINT id, bool on) { ::SendMessageA(ToolBar, TB_ENABLEBUTTON, id, MAKELPARAM(on ? TRUE : FALSE, 0)); };
  enable(NewButtonId, true);
  enable(DeleteButtonId, selected >= 0);
  enable(MoveUpButtonId, selected > 0);
  enable(MoveDownButtonId, selected >= 0 && selected < count - 1);
}

// ---- Items ------------------------------------------------------------------

void CVSListBox::InsertRow(int index) {
  if (!List.HasWindow()) return;
  LVITEMA row{};
  row.mask = LVIF_TEXT;
  row.iItem = index;
  row.pszText = LPSTR_TEXTCALLBACKA;
  List.SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row));
  FitColumn();
}

void CVSListBox::RedrawRow(int index) {
  if (List.HasWindow()) List.SendMessage(LVM_REDRAWITEMS, static_cast<WPARAM>(index), index);
}

void CVSListBox::SetRowSelected(int index, bool selected) {
  if (!List.HasWindow()) return;
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | (selected ? LVIS_FOCUSED : 0);
  state.state = selected ? LVIS_SELECTED | LVIS_FOCUSED : 0;
  List.SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&state));
}

int CVSListBox::AddItem(const CString& text, INT_PTR data) {
  Items.push_back(Item{text, data});
  const int index = GetCount() - 1;
  InsertRow(index);
  UpdateButtons();
  return index;
}

BOOL CVSListBox::RemoveItem(int index) {
  if (index < 0 || index >= GetCount()) return FALSE;
  if (EditingIndex == index) EndEditItem(false);
  if (index >= GetCount()) return FALSE;
  const int selected = GetSelItem();
  RemoveAt(index, selected == index ? -1 : selected);
  return TRUE;
}

void CVSListBox::RemoveAll() {
  if (IsEditing()) EndEditItem(false);
  if (List.HasWindow()) {
    if (GetSelItem() >= 0) SetRowSelected(-1, false);
    List.SendMessage(LVM_DELETEALLITEMS);
  }
  Items.clear();
  UpdateButtons();
}

void CVSListBox::RemoveAt(int index, int selectAfter) {
  if (GetSelItem() == index) SetRowSelected(index, false);
  Items.erase(Items.begin() + index);
  if (List.HasWindow()) List.SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(index));
  if (selectAfter > index) --selectAfter;
  else if (selectAfter == index) selectAfter = -1;
  if (selectAfter >= 0 && selectAfter < GetCount() && GetSelItem() != selectAfter) SelectItem(selectAfter);
  FitColumn();
  UpdateButtons();
}

CString CVSListBox::GetItemText(int index) const {
  return index >= 0 && index < GetCount() ? Items[static_cast<std::size_t>(index)].Text : CString();
}

void CVSListBox::SetItemText(int index, const CString& text) {
  if (index < 0 || index >= GetCount()) return;
  Items[static_cast<std::size_t>(index)].Text = text;
  RedrawRow(index);
}

INT_PTR CVSListBox::GetItemData(int index) const {
  return index >= 0 && index < GetCount() ? Items[static_cast<std::size_t>(index)].Data : 0;
}

void CVSListBox::SetItemData(int index, INT_PTR data) {
  if (index >= 0 && index < GetCount()) Items[static_cast<std::size_t>(index)].Data = data;
}

int CVSListBox::GetSelItem() const {
  if (!List.HasWindow()) return -1;
  return static_cast<int>(List.SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

BOOL CVSListBox::SelectItem(int index) {
  if (!List.HasWindow() || index >= GetCount()) return FALSE;
  if (index < 0) {
    SetRowSelected(-1, false);
    return TRUE;
  }
  SetRowSelected(index, true);
  List.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
  return TRUE;
}

// ---- Gestures ---------------------------------------------------------------

template <class Hook>
void CVSListBox::RunHook(Hook hook) {
  const HWND focus = ::GetFocus();
  const bool keyboardHere = focus && (focus == List.GetSafeHwnd() || focus == Editor.GetSafeHwnd());
  hook();
  // What a hook opens (windows it creates and shows) must not take the
  // operator's keyboard away from the list.
  if (keyboardHere && List.HasWindow() && List.IsWindowVisible() && ::GetFocus() != List.GetSafeHwnd()) {
    ::SetActiveWindow(::GetAncestor(List.GetSafeHwnd(), GA_ROOT));
    ::SetFocus(List.GetSafeHwnd());
  }
}

void CVSListBox::CreateNewItem() {
  if (IsEditing()) EndEditItem(true);
  if (!(Buttons & AFX_VSLISTBOX_BTN_NEW) || !List.HasWindow()) return;
  SelectionBeforeNew = GetSelItem();
  const int index = AddItem(CString(), 0);
  SelectItem(index);
  if (EditItem(index)) EditingNewItem = true;
  else RemoveAt(index, SelectionBeforeNew);
}

void CVSListBox::RenameSelectedItem() {
  if (IsEditing()) return;
  const int index = GetSelItem();
  if (index >= 0) EditItem(index);
}

void CVSListBox::RemoveSelectedItem() {
  if (IsEditing()) EndEditItem(true);
  if (!(Buttons & AFX_VSLISTBOX_BTN_DELETE)) return;
  const int index = GetSelItem();
  if (index < 0) return;
  if (!OnBeforeRemoveItem(index)) return;
  // The question may have run a message loop: the item must still be there.
  if (index >= GetCount()) return;
  const int neighbour = index + 1 < GetCount() ? index + 1 : index - 1;
  RemoveAt(index, neighbour);
  RunHook([&] { OnAfterRemoveItem(index); });
}

void CVSListBox::MoveSelectedItem(int places) {
  if (IsEditing()) EndEditItem(true);
  const UINT flag = places < 0 ? AFX_VSLISTBOX_BTN_UP : AFX_VSLISTBOX_BTN_DOWN;
  if (!(Buttons & flag) || places == 0) return;
  const int index = GetSelItem();
  const int target = index + (places < 0 ? -1 : 1);
  if (index < 0 || target < 0 || target >= GetCount()) return;
  std::swap(Items[static_cast<std::size_t>(index)], Items[static_cast<std::size_t>(target)]);
  RedrawRow(index);
  RedrawRow(target);
  SetRowSelected(index, false);
  SelectItem(target);
  if (places < 0) RunHook([&] { OnAfterMoveItemUp(target); });
  else RunHook([&] { OnAfterMoveItemDown(target); });
}

BOOL CVSListBox::EditItem(int index) {
  if (IsEditing() || index < 0 || index >= GetCount() || !List.HasWindow()) return FALSE;
  List.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
  if (!Editor.HasWindow()) {
    const RECT none{0, 0, 0, 0};
    if (!Editor.CreateEx(0, "EDIT", "", WS_CHILD | WS_BORDER | ES_AUTOHSCROLL | ES_LEFT, none, &List, EditorId))
      return FALSE;
    Editor.SendMessage(EM_LIMITTEXT, NameLimit, 0);
  }
  Editor.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);

  RECT row{};
  row.left = LVIR_BOUNDS;
  List.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row));
  RECT label{};
  label.left = LVIR_LABEL;
  List.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&label));
  RECT client{};
  List.GetClientRect(&client);
  // The text and its frame, centred on the row, the name where the row shows it.
  const int height = TextHeight() + 6;
  const int top = row.top + (static_cast<int>(row.bottom - row.top) - height) / 2;
  const int left = std::max(0, static_cast<int>(label.left) - 1);
  Editor.SetWindowPos(&CWnd::wndTop, left, top, client.right - left, height, SWP_SHOWWINDOW);
  Editor.SetWindowText(GetItemText(index));
  EditingIndex = index;
  EditingNewItem = false;
  ::SetFocus(Editor.GetSafeHwnd());
  Editor.SendMessage(EM_SETSEL, 0, -1);
  return TRUE;
}

BOOL CVSListBox::EndEditItem(bool confirm) {
  if (!IsEditing()) return FALSE;
  const int index = EditingIndex;
  const bool added = EditingNewItem;
  EditingIndex = -1;
  EditingNewItem = false;
  const CString text = Trimmed(Editor.GetWindowText());
  if (::GetFocus() == Editor.GetSafeHwnd()) ::SetFocus(List.GetSafeHwnd());
  Editor.ShowWindow(SW_HIDE);
  if (index >= GetCount()) return TRUE;
  const bool accepted = confirm && !text.IsEmpty();
  if (added) {
    if (!accepted) {
      RemoveAt(index, SelectionBeforeNew);
      return TRUE;
    }
    SetItemText(index, text);
    UpdateButtons();
    RunHook([&] { OnAfterAddItem(index); });
  } else if (accepted) {
    SetItemText(index, text);
    RunHook([&] { OnAfterRenameItem(index); });
  }
  return TRUE;
}

void CVSListBox::OnListDoubleClick(CPoint point) {
  if (IsEditing()) EndEditItem(true);
  LVHITTESTINFO hit{};
  hit.pt = point;
  const int index = static_cast<int>(List.SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (index >= 0 && index < GetCount() && (hit.flags & LVHT_ONITEM)) {
    // The first click of a double-click selects the item.
    if (GetSelItem() != index) SelectItem(index);
    EditItem(index);
  } else {
    CreateNewItem();
  }
}

LRESULT CVSListBox::CListWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_INSERT:
          Owner->CreateNewItem();
          return 0;
        case VK_DELETE:
          Owner->RemoveSelectedItem();
          return 0;
        case VK_F2:
        case VK_SPACE:
          Owner->RenameSelectedItem();
          return 0;
        default:
          break;
      }
      break;
    case WM_CHAR:
      // The character of the Space that opened the editor.
      if (wParam == ' ') return 0;
      break;
    case WM_SYSKEYDOWN:
      if (wParam == VK_UP) {
        Owner->MoveSelectedItem(-1);
        return 0;
      }
      if (wParam == VK_DOWN) {
        Owner->MoveSelectedItem(+1);
        return 0;
      }
      break;
    case WM_LBUTTONDBLCLK:
      Owner->OnListDoubleClick(CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))));
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
      // The editor does not follow the rows: the edit ends before they move.
      Owner->EndEditItem(true);
      break;
    case WM_SIZE: {
      const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
      Owner->FitColumn();
      return result;
    }
    default:
      break;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CVSListBox::CEditWindow::PreTranslateMessage(MSG* msg) {
  // Enter and Esc end the edit; the dialog around must not take them first.
  if (msg->hwnd == m_hWnd && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)) {
    ::DispatchMessageA(msg);
    return TRUE;
  }
  return FALSE;
}

LRESULT CVSListBox::CEditWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      return CWnd::WindowProc(message, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        Owner->EndEditItem(true);
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        Owner->EndEditItem(false);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == '\r' || wParam == '\n' || wParam == 0x1B) return 0;
      break;
    case WM_KILLFOCUS: {
      const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
      // Focus that goes elsewhere confirms the name; a window that is closing
      // (hidden first) drops it.
      HWND root = ::GetAncestor(m_hWnd, GA_ROOT);
      Owner->EndEditItem(root && ::IsWindowVisible(root));
      return result;
    }
    default:
      break;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}
