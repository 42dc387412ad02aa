#pragma once

#include <windows.h>

#include "framework/String.h"
#include "framework/Wnd.h"

class CDialog;

// One transfer between a dialog's controls and its members: towards the
// members (saving) or towards the controls (loading).
class CDataExchange {
public:
  CDataExchange(CDialog* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

  // The control with this id; marks the exchange as failed when there is none.
  HWND PrepareCtrl(int id);
  void Fail() { Failed = true; }

  CDialog* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
  bool Failed = false;
};

// A radio group that starts at control id: the members hold the position of
// the checked button within the group, -1 when none is checked.
void DDX_Radio(CDataExchange* pDX, int id, int& value);
// A check box: 0 clear, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange* pDX, int id, int& value);
void DDX_Check(CDataExchange* pDX, int id, bool& value);
// Ties control (an object without a window yet) to the dialog's control id.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

// A dialog made from a dialog template, modal (DoModal) or modeless (Create).
// The dialog window is tied to this object at its first message and routed
// through the object's message map like any other window; the dialog
// manager's own processing is the default.
class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)

public:
  CDialog() = default;
  explicit CDialog(UINT templateId, CWnd* parent = nullptr) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

  virtual INT_PTR DoModal();
  // Modeless: creates the window from the template; visible if the template says so.
  BOOL Create(UINT templateId, CWnd* parent = nullptr);
  void EndDialog(int result);

  // Called when the dialog has its controls; the default loads the members into them.
  virtual BOOL OnInitDialog();
  virtual void DoDataExchange(CDataExchange*) {}
  // Saving: controls to members, false when a control was missing.
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  // Modeless dialogs take their keyboard messages here (Tab, arrows, mnemonics, Enter, Esc).
  BOOL PreTranslateMessage(MSG* msg) override;

  // Direct access to the controls by id.
  UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;
  void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
  void SetDlgItemText(int id, LPCTSTR text);
  CString GetDlgItemText(int id) const;
  int GetDlgItemText(int id, CString& text) const;
  void CheckDlgButton(int id, UINT check);
  UINT IsDlgButtonChecked(int id) const;
  void CheckRadioButton(int firstId, int lastId, int checkId);
  // Enables or disables a control; nothing happens when there is no such control.
  void EnableDlgItem(int id, BOOL enable);
  BOOL IsDlgItemEnabled(int id) const;

  UINT GetTemplateId() const { return m_nIDTemplate; }

protected:
  virtual void OnOK();
  virtual void OnCancel();

  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Ties the object to its dialog window and routes the window through AfxWndProc.
  void TieToDialog(HWND hwnd);

  UINT m_nIDTemplate = 0;
  CWnd* m_pParentWnd = nullptr;
  bool Modal = false;

  DECLARE_MESSAGE_MAP()
};
