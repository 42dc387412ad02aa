#pragma once

#include <vector>

#include "app/CounterList.h"
#include "framework/PropertySheet.h"
#include "framework/VSListBox.h"

class CVeltoSheet;

// The editable list of counters on the Setup page: one item per counter, in
// page order, its text the counter's name and its data the counter number
// (0 while a new counter's name is being typed). Every change is applied at
// once: numbers, names and the counter list are stored and the sheet
// rebuilds its counter pages.
class CCounterListControl : public CVSListBox {
public:
  ~CCounterListControl() override;

  // One item per counter of CounterList, named after the counter's "Name".
  void LoadItems();
  // Numbers the new items, writes every name and the list, rebuilds the pages.
  void ApplyChanges();
  // The number for a new counter: one above the largest in use, or when that
  // is past the largest number there is, the smallest positive one not in use.
  int NextFreeNumber() const;

  BOOL OnBeforeRemoveItem(int index) override;
  void OnAfterRemoveItem(int index) override;
  void OnAfterAddItem(int index) override;
  void OnAfterRenameItem(int index) override;
  void OnAfterMoveItemUp(int index) override;
  void OnAfterMoveItemDown(int index) override;

  CCounterList* CounterList = nullptr;
  CVeltoSheet* Sheet = nullptr;
  // A removal the operator has confirmed and that the list has yet to carry out.
  int PendingRemoval = 0;
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
