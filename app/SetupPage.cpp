#include "app/SetupPage.h"

#include <algorithm>
#include <climits>
#include <set>

#include "app/VeltoSheet.h"
#include "counter/Counter.h"
#include "framework/MessageBox.h"
#include "framework/Profile.h"
#include "resources/resource.h"

CCounterListControl::~CCounterListControl() = default;

void CCounterListControl::LoadItems() {
  RemoveAll();
  if (!CounterList) return;
  CProfileStore* profile = AfxGetProfile();
  for (int32_t number : *CounterList) {
    const CString name =
        profile ? profile->GetProfileString(CounterSectionName(number), "Name", "Counter") : CString("Counter");
    AddItem(name, number);
  }
}

int CCounterListControl::NextFreeNumber() const {
  std::set<int> used;
  for (const Item& item : GetItems())
    if (item.Data > 0 && item.Data <= INT_MAX) used.insert(static_cast<int>(item.Data));
  if (used.empty()) return 1;
  const int largest = *used.rbegin();
  if (largest < INT_MAX) return largest + 1;
  // Only an edited registry gets here: take the first gap from the bottom.
  int candidate = 1;
  for (int number : used) {
    if (number != candidate) break;
    ++candidate;
  }
  return candidate;
}

void CCounterListControl::ApplyChanges() {
  CProfileStore* profile = AfxGetProfile();
  std::vector<int32_t> numbers;
  numbers.reserve(static_cast<std::size_t>(GetCount()));
  for (int i = 0; i < GetCount(); ++i) {
    int number = static_cast<int>(GetItemData(i));
    if (number == 0) {
      number = NextFreeNumber();
      SetItemData(i, number);
      // Nothing an earlier counter of this number left behind may survive.
      if (profile) profile->DeleteProfileSection(CounterSectionName(number));
    }
    numbers.push_back(number);
    if (profile) profile->WriteProfileString(CounterSectionName(number), "Name", GetItemText(i));
  }
  if (CounterList) CounterList->Save(numbers);
  if (Sheet) Sheet->RebuildCounterPages();
}

BOOL CCounterListControl::OnBeforeRemoveItem(int) {
  if (AfxMessageBox(IDS_CONFIRM_DELETE, MB_YESNO | MB_ICONQUESTION, 0) != IDYES) return FALSE;
  PendingRemoval = 1;
  return TRUE;
}

void CCounterListControl::OnAfterRemoveItem(int) {
  if (!PendingRemoval) return;
  PendingRemoval = 0;
  ApplyChanges();
}

void CCounterListControl::OnAfterAddItem(int) { ApplyChanges(); }

void CCounterListControl::OnAfterRenameItem(int) { ApplyChanges(); }

void CCounterListControl::OnAfterMoveItemUp(int) { ApplyChanges(); }

void CCounterListControl::OnAfterMoveItemDown(int) { ApplyChanges(); }

CSetupPage::CSetupPage() : CPropertyPage(IDD_SETUP) {}

void CSetupPage::DoDataExchange(CDataExchange* pDX) { DDX_Control(pDX, IDC_COUNTER_LIST, ListControl); }

BOOL CSetupPage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  ListControl.SetStandardButtons(AFX_VSLISTBOX_BTN_NEW | AFX_VSLISTBOX_BTN_DELETE | AFX_VSLISTBOX_BTN_UP |
                                 AFX_VSLISTBOX_BTN_DOWN);
  return TRUE;
}
