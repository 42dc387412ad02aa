#include "framework/Wnd.h"

#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "framework/Gdi.h"
#include "framework/WinApp.h"

namespace {

struct CurrentMessage {
  HWND Window;
  UINT Message;
  WPARAM WParam;
  LPARAM LParam;
};

thread_local CurrentMessage currentMessage{};
thread_local CWnd* pendingCreate = nullptr;

std::unordered_map<HWND, CWnd*>& PermanentMap() {
  thread_local std::unordered_map<HWND, CWnd*> map;
  return map;
}

std::unordered_map<HWND, std::unique_ptr<CWnd>>& TemporaryMap() {
  thread_local std::unordered_map<HWND, std::unique_ptr<CWnd>> map;
  return map;
}

}  // namespace

const CRuntimeClass CWnd::classInfo = {"CWnd", nullptr};

const CWnd CWnd::wndTop(HWND_TOP, PseudoWindow{});
const CWnd CWnd::wndBottom(HWND_BOTTOM, PseudoWindow{});
const CWnd CWnd::wndTopMost(HWND_TOPMOST, PseudoWindow{});
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST, PseudoWindow{});

CWnd::CWnd() = default;

CWnd::CWnd(HWND pseudo, PseudoWindow) noexcept : m_hWnd(pseudo) {}

CWnd::~CWnd() {
  if (pendingCreate == this) pendingCreate = nullptr;
  // Only a window tied to this object is ours to end. Cut the tie first, so
  // that the messages of its destruction find no half-destroyed object.
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
    HWND hwnd = m_hWnd;
    if (m_pfnSuper) UnsubclassWindow();
    else Detach();
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
  }
  m_hWnd = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  if (!hwnd) return nullptr;
  auto& map = PermanentMap();
  const auto found = map.find(hwnd);
  return found == map.end() ? nullptr : found->second;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  if (CWnd* permanent = FromHandlePermanent(hwnd)) return permanent;
  auto& temporary = TemporaryMap()[hwnd];
  if (!temporary) {
    temporary = std::make_unique<CWnd>();
    temporary->m_hWnd = hwnd;
    temporary->Temporary = true;
  }
  return temporary.get();
}

void CWnd::DeleteTempMap() {
  for (auto& entry : TemporaryMap()) entry.second->m_hWnd = nullptr;
  TemporaryMap().clear();
  CDC::DeleteTempMap();
}

void CWnd::Attach(HWND hwnd) {
  m_hWnd = hwnd;
  PermanentMap()[hwnd] = this;
  // A temporary wrapper of the same window would now answer for a stale object.
  auto& temporary = TemporaryMap();
  const auto stale = temporary.find(hwnd);
  if (stale != temporary.end()) {
    stale->second->m_hWnd = nullptr;
    temporary.erase(stale);
  }
}

HWND CWnd::Detach() {
  HWND hwnd = m_hWnd;
  if (hwnd) {
    auto& map = PermanentMap();
    const auto found = map.find(hwnd);
    if (found != map.end() && found->second == this) map.erase(found);
  }
  m_hWnd = nullptr;
  return hwnd;
}

void CWnd::PrepareToCreate() {
  pendingCreate = this;
}

void CWnd::EndCreate() {
  if (pendingCreate == this) pendingCreate = nullptr;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, LPVOID param) {
  if (m_hWnd) return FALSE;
  PrepareToCreate();
  HWND hwnd = ::CreateWindowExA(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, parent ? parent->GetSafeHwnd() : nullptr,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), AfxGetInstanceHandle(), param);
  const bool neverTied = pendingCreate == this;
  EndCreate();
  if (!hwnd) {
    if (m_hWnd) Detach();
    return FALSE;
  }
  // A class of the system's own (a control) never ran our window procedure:
  // take the window over now.
  if (neverTied) return SubclassWindow(hwnd);
  return TRUE;
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd || !::IsWindow(m_hWnd)) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (!hwnd || m_hWnd || FromHandlePermanent(hwnd)) return FALSE;
  Attach(hwnd);
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  if (m_pfnSuper == &AfxWndProc) m_pfnSuper = nullptr;
  PreSubclassWindow();
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  if (!parent) return FALSE;
  return SubclassWindow(::GetDlgItem(parent->GetSafeHwnd(), static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
  if (m_hWnd && m_pfnSuper) ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  m_pfnSuper = nullptr;
  return Detach();
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
  return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}

void CWnd::GetClientRect(LPRECT rect) const {
  if (!m_hWnd || !::GetClientRect(m_hWnd, rect)) *rect = RECT{0, 0, 0, 0};
}

void CWnd::ClientToScreen(LPRECT rect) const {
  POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
  ::ClientToScreen(m_hWnd, &corners[0]);
  ::ClientToScreen(m_hWnd, &corners[1]);
  *rect = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

void CWnd::ScreenToClient(LPRECT rect) const {
  POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
  ::ScreenToClient(m_hWnd, &corners[0]);
  ::ScreenToClient(m_hWnd, &corners[1]);
  *rect = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

void CWnd::InvalidateRect(const RECT* rect, BOOL erase) {
  if (m_hWnd) ::InvalidateRect(m_hWnd, rect, erase);
}

CString CWnd::GetWindowText() const {
  const int length = ::GetWindowTextLengthA(m_hWnd);
  if (length <= 0) return CString();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int got = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return CString(std::move(text));
}

BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* placement) const {
  placement->length = sizeof(WINDOWPLACEMENT);
  return ::GetWindowPlacement(m_hWnd, placement);
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
  const DWORD style = GetStyle();
  const DWORD changed = (style & ~remove) | add;
  if (changed == style) return FALSE;
  ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
  if (flags)
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
  return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags) {
  const DWORD style = GetExStyle();
  const DWORD changed = (style & ~remove) | add;
  if (changed == style) return FALSE;
  ::SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(changed));
  if (flags)
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
  return TRUE;
}

HICON CWnd::SetIcon(HICON icon, BOOL big) {
  return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

BOOL CWnd::PreTranslateMessage(MSG*) {
  return FALSE;
}

LRESULT CWnd::Default() {
  const CurrentMessage& m = currentMessage;
  return DefWindowProc(m.Message, m.WParam, m.LParam);
}

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
  static const AFX_MSGMAP map = {nullptr, entries};
  return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const {
  return GetThisMessageMap();
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (OnWndMsg(message, wParam, lParam, &result)) return result;
  return DefWindowProc(message, wParam, lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_COMMAND) {
    if (!OnCommand(wParam, lParam)) return FALSE;
    *result = 0;
    return TRUE;
  }
  if (message == WM_NOTIFY) return OnNotify(wParam, lParam, result);
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->GetBaseMap ? map->GetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* entry = map->Entries; entry->Handler; ++entry) {
      if (entry->Message == message) {
        *result = entry->Handler(this, wParam, lParam);
        return TRUE;
      }
    }
  }
  return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  const UINT code = HIWORD(wParam);
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->GetBaseMap ? map->GetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* entry = map->Entries; entry->Handler; ++entry) {
      if (entry->Message == WM_COMMAND && entry->Code == code && entry->Id <= id && id <= entry->LastId) {
        entry->Handler(this, wParam, lParam);
        return TRUE;
      }
    }
  }
  return FALSE;
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
  if (!header) return FALSE;
  const UINT id = static_cast<UINT>(header->idFrom);
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->GetBaseMap ? map->GetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* entry = map->Entries; entry->Handler; ++entry) {
      if (entry->Message == WM_NOTIFY && entry->Code == header->code && entry->Id <= id && id <= entry->LastId) {
        *result = entry->Handler(this, wParam, lParam);
        return TRUE;
      }
    }
  }
  return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

void CWnd::OnNcDestroy() {
  Default();
  FinishNcDestroy();
}

void CWnd::FinishNcDestroy() {
  HWND hwnd = m_hWnd;
  if (m_pfnSuper) {
    // Hand the dying window back to the procedure it had.
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
  }
  Detach();
  // The end of the main window is the end of the program's message loop.
  if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == this) {
    app->m_pMainWnd = nullptr;
    ::PostQuitMessage(0);
  }
  PostNcDestroy();
}

LRESULT AfxCallWndProc(CWnd* wnd, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const CurrentMessage saved = currentMessage;
  currentMessage = CurrentMessage{hwnd, message, wParam, lParam};
  const LRESULT result = wnd->WindowProc(message, wParam, lParam);
  // After WM_NCDESTROY the window is gone: whatever handled the message, the
  // object must no longer answer for it. (It may have deleted itself already,
  // so look it up again rather than use wnd.)
  if (message == WM_NCDESTROY) {
    if (CWnd* still = CWnd::FromHandlePermanent(hwnd)) still->FinishNcDestroy();
  }
  currentMessage = saved;
  return result;
}

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
  if (!wnd && pendingCreate) {
    wnd = pendingCreate;
    pendingCreate = nullptr;
    wnd->Attach(hwnd);
  }
  if (!wnd) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  return AfxCallWndProc(wnd, hwnd, message, wParam, lParam);
}

LPCTSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
  thread_local std::map<std::string, std::string> registered;
  char name[96];
  wsprintfA(name, "Velto:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor), static_cast<void*>(background),
            static_cast<void*>(icon));
  auto& entry = registered[name];
  if (entry.empty()) {
    WNDCLASSA wc{};
    wc.style = classStyle;
    wc.lpfnWndProc = &AfxWndProc;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    WNDCLASSA existing{};
    if (::GetClassInfoA(wc.hInstance, name, &existing) || ::RegisterClassA(&wc)) entry = name;
    else return nullptr;
  }
  return entry.c_str();
}

HINSTANCE AfxGetInstanceHandle() {
  return ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle() {
  return ::GetModuleHandleA(nullptr);
}

CWnd* AfxGetMainWnd() {
  CWinApp* app = AfxGetApp();
  return app ? app->m_pMainWnd : nullptr;
}
