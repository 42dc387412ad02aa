#include "framework/Dialog.h"

#include <string>

namespace {

// The dialog being created on this thread, until its first message ties it.
thread_local CDialog* pendingDialog = nullptr;

bool IsRadioButton(HWND control) {
  if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) return true;
  const LONG_PTR type = ::GetWindowLongPtrA(control, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

}  // namespace

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

HWND CDataExchange::PrepareCtrl(int id) {
  HWND control = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->GetSafeHwnd(), id) : nullptr;
  if (!control) Fail();
  return control;
}

void DDX_Radio(CDataExchange* pDX, int id, int& value) {
  HWND control = pDX->PrepareCtrl(id);
  if (!control) return;
  if (pDX->m_bSaveAndValidate) value = -1;
  int index = 0;
  // The group runs from the first button to the next control that starts a group.
  for (HWND item = control; item; item = ::GetWindow(item, GW_HWNDNEXT)) {
    if (item != control && (::GetWindowLongPtrA(item, GWL_STYLE) & WS_GROUP)) break;
    if (!IsRadioButton(item)) continue;
    if (pDX->m_bSaveAndValidate) {
      if (SendMessageA(item, BM_GETCHECK, 0, 0) == BST_CHECKED && value == -1) value = index;
    } else {
      SendMessageA(item, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    ++index;
  }
}

void DDX_Check(CDataExchange* pDX, int id, int& value) {
  HWND control = pDX->PrepareCtrl(id);
  if (!control) return;
  if (pDX->m_bSaveAndValidate)
    value = static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0));
  else
    SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Check(CDataExchange* pDX, int id, bool& value) {
  int state = value ? BST_CHECKED : BST_UNCHECKED;
  DDX_Check(pDX, id, state);
  if (pDX->m_bSaveAndValidate) value = state == BST_CHECKED;
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
  if (control.GetSafeHwnd()) return;
  HWND item = pDX->PrepareCtrl(id);
  if (item && !control.SubclassWindow(item)) pDX->Fail();
}

void CDialog::TieToDialog(HWND hwnd) { SubclassWindow(hwnd); }

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
  CDialog* dialog = dynamic_cast<CDialog*>(FromHandlePermanent(hwnd));
  if (!dialog && pendingDialog) {
    dialog = pendingDialog;
    pendingDialog = nullptr;
    dialog->TieToDialog(hwnd);
  }
  if (dialog && message == WM_INITDIALOG) return dialog->OnInitDialog();
  return FALSE;
}

INT_PTR CDialog::DoModal() {
  if (m_hWnd) return -1;
  Modal = true;
  pendingDialog = this;
  HWND owner = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
  if (!owner && AfxGetMainWnd()) owner = AfxGetMainWnd()->GetSafeHwnd();
  const INT_PTR result =
      ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner, &CDialog::DialogProc, 0);
  if (pendingDialog == this) pendingDialog = nullptr;
  Modal = false;
  return result;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  if (m_hWnd) return FALSE;
  m_nIDTemplate = templateId;
  if (parent) m_pParentWnd = parent;
  Modal = false;
  pendingDialog = this;
  HWND hwnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(templateId),
                                   m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr, &CDialog::DialogProc, 0);
  if (pendingDialog == this) pendingDialog = nullptr;
  return hwnd != nullptr;
}

void CDialog::EndDialog(int result) {
  if (!m_hWnd) return;
  if (Modal)
    ::EndDialog(m_hWnd, result);
  else
    DestroyWindow();
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  if (!m_hWnd) return FALSE;
  CDataExchange exchange(this, saveAndValidate);
  DoDataExchange(&exchange);
  return !exchange.Failed;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  if (Modal || !m_hWnd) return FALSE;
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
  return ::IsDialogMessageA(m_hWnd, msg);
}

UINT CDialog::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const {
  return ::GetDlgItemInt(m_hWnd, id, translated, isSigned);
}

void CDialog::SetDlgItemInt(int id, UINT value, BOOL isSigned) { ::SetDlgItemInt(m_hWnd, id, value, isSigned); }

void CDialog::SetDlgItemText(int id, LPCTSTR text) { ::SetDlgItemTextA(m_hWnd, id, text); }

CString CDialog::GetDlgItemText(int id) const {
  HWND control = ::GetDlgItem(m_hWnd, id);
  if (!control) return CString();
  const int length = ::GetWindowTextLengthA(control);
  if (length <= 0) return CString();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int got = ::GetWindowTextA(control, &text[0], length + 1);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return CString(std::move(text));
}

int CDialog::GetDlgItemText(int id, CString& text) const {
  text = GetDlgItemText(id);
  return text.GetLength();
}

void CDialog::CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }

UINT CDialog::IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }

void CDialog::CheckRadioButton(int firstId, int lastId, int checkId) {
  ::CheckRadioButton(m_hWnd, firstId, lastId, checkId);
}

void CDialog::EnableDlgItem(int id, BOOL enable) {
  if (HWND control = ::GetDlgItem(m_hWnd, id)) ::EnableWindow(control, enable);
}

BOOL CDialog::IsDlgItemEnabled(int id) const {
  HWND control = ::GetDlgItem(m_hWnd, id);
  return control && ::IsWindowEnabled(control);
}
