#include "about/AboutPage.h"

#include <windows.h>

#include <vector>

#include "resources/resource.h"

const char* const CAboutPage::FirstContactLine = "support@halvorn-industries.example";
const char* const CAboutPage::SecondContactLine = "Tel. +44 (0)20 7946 0318";

CString VersionText(LPCTSTR modulePath) {
  CString failed("VerError");
  if (!modulePath || !*modulePath) return failed;
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(modulePath, &ignored);
  if (size == 0) return failed;
  std::vector<BYTE> block;
  try {
    block.resize(size);
  } catch (const std::bad_alloc&) {
    return failed;
  }
  if (!::GetFileVersionInfoA(modulePath, 0, size, block.data())) return failed;
  void* value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueA(block.data(), "\\", &value, &length) || !value || length < sizeof(VS_FIXEDFILEINFO))
    return failed;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  if (fixed->dwSignature != 0xFEEF04BD) return failed;
  CString text;
  text.Format("%d.%d.%d", static_cast<int>(HIWORD(fixed->dwProductVersionMS)),
              static_cast<int>(LOWORD(fixed->dwProductVersionMS)), static_cast<int>(LOWORD(fixed->dwProductVersionLS)));
  return text;
}

CString RunningModulePath() {
  char path[MAX_PATH] = "";
  const DWORD got = ::GetModuleFileNameA(AfxGetInstanceHandle(), path, MAX_PATH);
  // A path cut short names some other file: better no version than a wrong one.
  if (got == 0 || got >= MAX_PATH) return CString();
  return CString(path, got);
}

CAboutPage::CAboutPage() : CPropertyPage(IDD_ABOUT) {}

void CAboutPage::DoDataExchange(CDataExchange* pDX) {
  if (!pDX->m_bSaveAndValidate) SetDlgItemText(IDC_ABOUT_VERSION, VersionText(RunningModulePath()));
  DDX_Control(pDX, IDC_ABOUT_FIRST_CONTACT, FirstContact);
  DDX_Control(pDX, IDC_ABOUT_SECOND_CONTACT, SecondContact);
}

BOOL CAboutPage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  FirstContact.SetWindowText(FirstContactLine);
  SecondContact.SetWindowText(SecondContactLine);
  return TRUE;
}
