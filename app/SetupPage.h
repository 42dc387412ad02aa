#pragma once

#include <vector>

#include "app/CounterList.h"
#include "framework/PropertySheet.h"
#include "framework/String.h"

class CVeltoSheet;

// The editable list of counters on the Setup page: one item per counter, in
// page order, its text the counter's name and its data the counter number.
class CCounterListControl : public CWnd {
public:
  struct Item {
    CString Text;
    int Data = 0;
  };

  // One item per counter of CounterList, named after the counter's "Name".
  void LoadItems();
  const std::vector<Item>& GetItems() const { return Items; }

  CCounterList* CounterList = nullptr;
  CVeltoSheet* Sheet = nullptr;
  int PendingRemoval = 0;

private:
  std::vector<Item> Items;
};

// The first page of the control sheet, where counters are added, renamed,
// reordered and removed.
class CSetupPage : public CPropertyPage {
public:
  CSetupPage();

  CCounterListControl ListControl;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
};
