#pragma once

#include "framework/Edit.h"
#include "framework/PropertySheet.h"
#include "framework/String.h"

// The last page of the control sheet: the program's version and how to reach
// its maker.
class CAboutPage : public CPropertyPage {
public:
  CAboutPage();

  CEdit FirstContact;
  CEdit SecondContact;

  static const char* const FirstContactLine;
  static const char* const SecondContactLine;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
};

// The product version of the file at modulePath as "major.minor.build": the
// two words of the most significant half and the low word of the least
// significant one (2.5.3.14 shows as 2.5.14); "VerError" when the file has
// no version resource that can be read.
CString VersionText(LPCTSTR modulePath);
// The full path of the running program.
CString RunningModulePath();
