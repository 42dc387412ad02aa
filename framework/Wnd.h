#pragma once

#include <windows.h>

#include "framework/Geometry.h"
#include "framework/String.h"

class CWnd;
class CDC;

// Message maps: each window class lists the messages it handles; a message
// no class handles goes to the window's default processing. Handlers are
// named after their message (OnPaint for WM_PAINT) and take the framework's
// usual arguments.
struct AFX_MSGMAP_ENTRY {
  UINT Message;  // WM_COMMAND and WM_NOTIFY entries also match Code and Id..LastId
  UINT Code;
  UINT Id;
  UINT LastId;
  LRESULT (*Handler)(CWnd* self, WPARAM wParam, LPARAM lParam);
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*GetBaseMap)();
  const AFX_MSGMAP_ENTRY* Entries;
};

#define DECLARE_MESSAGE_MAP()                   \
protected:                                      \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
    using ThisClass [[maybe_unused]] = theClass;                                    \
    using TheBaseClass = baseClass;                                                 \
    static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                    \
  {0, 0, 0, 0, nullptr}                                                      \
  }                                                                          \
  ;                                                                          \
  static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
  return &map;                                                               \
  }

#define AFX_HANDLER(body) [](CWnd* afxSelf, WPARAM wParam, LPARAM lParam) -> LRESULT { \
  ThisClass* self = static_cast<ThisClass*>(afxSelf);                                    \
  (void)self;                                                                            \
  (void)wParam;                                                                          \
  (void)lParam;                                                                          \
  body                                                                                   \
}

#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, AFX_HANDLER(self->OnPaint(); return 0;)},
#define ON_WM_SIZE() \
  {WM_SIZE, 0, 0, 0, AFX_HANDLER(self->OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); return 0;)},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, 0, AFX_HANDLER(self->OnTimer(static_cast<UINT_PTR>(wParam)); return 0;)},
#define ON_WM_CREATE() \
  {WM_CREATE, 0, 0, 0, AFX_HANDLER(return self->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));)},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, AFX_HANDLER(self->OnDestroy(); return 0;)},
#define ON_WM_NCDESTROY() {WM_NCDESTROY, 0, 0, 0, AFX_HANDLER(self->OnNcDestroy(); return 0;)},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, AFX_HANDLER(self->OnClose(); return 0;)},
#define AFX_MOUSE_ENTRY(msg, fn)                                                                           \
  {msg, 0, 0, 0, AFX_HANDLER(self->fn(static_cast<UINT>(wParam),                                           \
                                      CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)))); \
                             return 0;)},
#define ON_WM_LBUTTONDOWN() AFX_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_MOUSE_ENTRY(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_MOUSEMOVE() AFX_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_SIZING() \
  {WM_SIZING, 0, 0, 0, AFX_HANDLER(self->OnSizing(static_cast<UINT>(wParam), reinterpret_cast<LPRECT>(lParam)); return TRUE;)},
#define ON_WM_SYSCOMMAND() \
  {WM_SYSCOMMAND, 0, 0, 0, AFX_HANDLER(self->OnSysCommand(static_cast<UINT>(wParam), lParam); return 0;)},
#define ON_WM_ERASEBKGND() \
  {WM_ERASEBKGND, 0, 0, 0, AFX_HANDLER(return self->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));)},
#define ON_MESSAGE(message, memberFxn) {message, 0, 0, 0, AFX_HANDLER(return self->memberFxn(wParam, lParam);)},
// WM_COMMAND from a control or menu: notification code and control id.
#define ON_CONTROL(code, id, memberFxn) {WM_COMMAND, code, id, id, AFX_HANDLER(self->memberFxn(); return 0;)},
#define ON_CONTROL_RANGE(code, firstId, lastId, memberFxn) \
  {WM_COMMAND, code, firstId, lastId, AFX_HANDLER(self->memberFxn(LOWORD(wParam)); return 0;)},
#define ON_COMMAND(id, memberFxn) ON_CONTROL(0, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_NOTIFY(code, id, memberFxn)                                                            \
  {WM_NOTIFY, static_cast<UINT>(code), id, id, AFX_HANDLER(LRESULT result = 0;                    \
                                                           self->memberFxn(reinterpret_cast<NMHDR*>(lParam), &result); \
                                                           return result;)},

// Run-time class information: the class's own name and its base.
struct CRuntimeClass {
  const char* ClassName;
  const CRuntimeClass* BaseClass;
  bool IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* c = this; c; c = c->BaseClass)
      if (c == base) return true;
    return false;
  }
};
#define RUNTIME_CLASS(theClass) (&theClass::classInfo)
#define DECLARE_DYNAMIC(theClass)          \
public:                                    \
  static const CRuntimeClass classInfo;    \
  const CRuntimeClass* GetRuntimeClass() const override { return &classInfo; }
#define IMPLEMENT_DYNAMIC(theClass, baseClass) \
  const CRuntimeClass theClass::classInfo = {#theClass, RUNTIME_CLASS(baseClass)};

// A window of the program. The C++ object is tied to its window before the
// window's first message and cut loose at WM_NCDESTROY, after which
// PostNcDestroy runs (objects that own themselves delete themselves there).
class CWnd {
public:
  CWnd();
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  static const CRuntimeClass classInfo;
  virtual const CRuntimeClass* GetRuntimeClass() const { return &classInfo; }
  bool IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

  // The object tied to hwnd; for a window of no object, a temporary wrapper
  // that lives until the message loop next goes idle.
  static CWnd* FromHandle(HWND hwnd);
  static CWnd* FromHandlePermanent(HWND hwnd);
  static void DeleteTempMap();

  // Z-order placeholders for SetWindowPos.
  static const CWnd wndTop;
  static const CWnd wndBottom;
  static const CWnd wndTopMost;
  static const CWnd wndNoTopMost;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return GetSafeHwnd(); }
  bool HasWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }

  BOOL CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect,
                CWnd* parent, UINT id, LPVOID param = nullptr);
  virtual BOOL DestroyWindow();
  // Ties this object to an existing window and routes its messages here.
  BOOL SubclassWindow(HWND hwnd);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  HWND UnsubclassWindow();

  // Plain window operations.
  BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
  BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
  void MoveWindow(int x, int y, int cx, int cy, BOOL repaint = TRUE) { ::MoveWindow(m_hWnd, x, y, cx, cy, repaint); }
  void MoveWindow(const RECT& r, BOOL repaint = TRUE) {
    MoveWindow(r.left, r.top, r.right - r.left, r.bottom - r.top, repaint);
  }
  void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
  void GetClientRect(LPRECT rect) const;
  void ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }
  void ClientToScreen(LPRECT rect) const;
  void ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }
  void ScreenToClient(LPRECT rect) const;
  void Invalidate(BOOL erase = TRUE) { InvalidateRect(nullptr, erase); }
  void InvalidateRect(const RECT* rect, BOOL erase = TRUE);
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  void SetWindowText(LPCTSTR text) { ::SetWindowTextA(m_hWnd, text); }
  CString GetWindowText() const;
  void GetWindowText(CString& text) const { text = GetWindowText(); }
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr) { return ::SetTimer(m_hWnd, id, elapse, proc); }
  BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
  CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
  BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
  BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
  BOOL GetWindowPlacement(WINDOWPLACEMENT* placement) const;
  BOOL SetWindowPlacement(const WINDOWPLACEMENT* placement) { return ::SetWindowPlacement(m_hWnd, placement); }
  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
  DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE)); }
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
  BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
  }
  CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
  CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
  BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
  HICON SetIcon(HICON icon, BOOL big);
  void SetRedraw(BOOL redraw = TRUE) { SendMessage(WM_SETREDRAW, redraw, 0); }

  // Keyboard handling before dispatch (dialog navigation); true when used up.
  virtual BOOL PreTranslateMessage(MSG* msg);
  // The message as it came in, for handlers that fall back on default processing.
  LRESULT Default();

protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;

  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void PostNcDestroy() {}
  // The window has just been taken over (SubclassWindow, or CreateEx of a
  // system class): controls that build children of their own do it here.
  virtual void PreSubclassWindow() {}

  // Base handlers: default processing of their message.
  void OnPaint() { Default(); }
  void OnSize(UINT, int, int) { Default(); }
  void OnTimer(UINT_PTR) { Default(); }
  int OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
  void OnDestroy() { Default(); }
  void OnNcDestroy();
  void OnClose() { Default(); }
  void OnLButtonDown(UINT, CPoint) { Default(); }
  void OnLButtonUp(UINT, CPoint) { Default(); }
  void OnLButtonDblClk(UINT, CPoint) { Default(); }
  void OnMouseMove(UINT, CPoint) { Default(); }
  void OnSizing(UINT, LPRECT) { Default(); }
  void OnSysCommand(UINT, LPARAM) { Default(); }
  BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }

  // The window procedure this object took over, or null for our own classes.
  WNDPROC m_pfnSuper = nullptr;

  friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT AfxCallWndProc(CWnd*, HWND, UINT, WPARAM, LPARAM);
  void Attach(HWND hwnd);
  HWND Detach();
  // Arranges for the next window created on this thread to be tied to this object.
  void PrepareToCreate();
  void EndCreate();
  // Cuts the tie to a window that has received WM_NCDESTROY, then PostNcDestroy.
  void FinishNcDestroy();

private:
  struct PseudoWindow {};
  explicit CWnd(HWND pseudo, PseudoWindow) noexcept;
  bool Temporary = false;
};

// The window procedure of every class registered by the program.
LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT AfxCallWndProc(CWnd* wnd, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// A window class with these styles, cursor, brush and icon, registered once
// with the program's window procedure; the result is the class name.
LPCTSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                            HICON icon = nullptr);

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
CWnd* AfxGetMainWnd();
