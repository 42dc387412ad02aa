#pragma once

#include <windows.h>

#include "framework/Wnd.h"

// An edit control of a dialog, tied to the dialog's control (DDX_Control).
class CEdit : public CWnd {
public:
  void SetSel(int start, int end, BOOL noScroll = FALSE) {
    SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end);
    if (!noScroll) SendMessage(EM_SCROLLCARET);
  }
  DWORD GetSel() const { return static_cast<DWORD>(SendMessage(EM_GETSEL)); }
  BOOL SetReadOnly(BOOL readOnly = TRUE) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly)); }
  bool IsReadOnly() const { return (GetStyle() & ES_READONLY) != 0; }
  void LimitText(int chars) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(chars)); }
  void Copy() { SendMessage(WM_COPY); }
};
