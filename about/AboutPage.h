#pragma once

#include "framework/PropertySheet.h"

// The last page of the control sheet: the program's version and its maker.
class CAboutPage : public CPropertyPage {
public:
  CAboutPage();
};
