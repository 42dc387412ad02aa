#pragma once

#include <windows.h>

#include <commdlg.h>

#include <functional>

class CWnd;

// Centres a dialog over the window that owns it, kept wholly inside the work
// area of the owner's monitor, so that it opens where the operator is looking.
void CenterOverOwner(HWND dialog);

// The system's font dialog on a LOGFONT of the caller. The dialog starts from
// that font (CF_INITTOLOGFONTSTRUCT is always added) and, on OK, writes the
// chosen font back into it; GetCurrentFont reads it.
class CFontDialog {
public:
  CFontDialog(LOGFONT* lplfInitial, DWORD dwFlags, HDC hdcPrinter = nullptr, CWnd* pParentWnd = nullptr);
  CFontDialog(const CFontDialog&) = delete;
  CFontDialog& operator=(const CFontDialog&) = delete;

  // IDOK or IDCANCEL.
  INT_PTR DoModal();
  void GetCurrentFont(LPLOGFONT lplf) const;

  CHOOSEFONTA m_cf{};

  // Stands in for the system dialog while set (tests): it is handed the
  // filled CHOOSEFONT and answers as ChooseFont would.
  using Chooser = std::function<BOOL(CHOOSEFONTA& choice)>;
  static void SetChooser(Chooser chooser);

private:
  CWnd* ParentWnd;
};

// The system's colour dialog, opened on an initial colour with the custom
// colour mixer showing. The 16 custom colours are kept for the whole session
// and shared by every colour dialog of the program.
class CColorDialog {
public:
  explicit CColorDialog(COLORREF clrInit = 0, DWORD dwFlags = 0, CWnd* pParentWnd = nullptr);
  CColorDialog(const CColorDialog&) = delete;
  CColorDialog& operator=(const CColorDialog&) = delete;

  // IDOK or IDCANCEL.
  INT_PTR DoModal();
  // The colour chosen (after IDOK), else the initial one.
  COLORREF GetColor() const { return m_cc.rgbResult; }

  // The session's custom colours, 16 entries.
  static COLORREF* GetSavedCustomColors();

  CHOOSECOLORA m_cc{};

  using Chooser = std::function<BOOL(CHOOSECOLORA& choice)>;
  static void SetChooser(Chooser chooser);

private:
  CWnd* ParentWnd;
};
