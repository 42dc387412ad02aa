#include "app/SetupPage.h"

#include "counter/Counter.h"
#include "framework/Profile.h"
#include "resources/resource.h"

void CCounterListControl::LoadItems() {
  Items.clear();
  if (!CounterList) return;
  CProfileStore* profile = AfxGetProfile();
  for (int32_t number : *CounterList) {
    Item item;
    item.Text = profile ? profile->GetProfileString(CounterSectionName(number), "Name", "Counter") : CString("Counter");
    item.Data = number;
    Items.push_back(item);
  }
}

CSetupPage::CSetupPage() : CPropertyPage(IDD_SETUP) {}

void CSetupPage::DoDataExchange(CDataExchange* pDX) { DDX_Control(pDX, IDC_COUNTER_LIST, ListControl); }

BOOL CSetupPage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  return TRUE;
}
