#pragma once

// Host stand-in for the display window: it records what the counter asks of
// it (creation, repaint requests, ticker font) so that engine tests can
// observe them without a window system.
#include "framework/Platform.h"
#include "framework/String.h"

class CCounter;

class CCounterWindow {
public:
  bool HasWindow() const { return Alive; }
  HWND GetSafeHwnd() const { return Alive ? reinterpret_cast<HWND>(const_cast<CCounterWindow*>(this)) : nullptr; }
  void Invalidate(BOOL = TRUE) {
    if (Alive) ++Invalidations;
  }
  void CounterChanged() { Invalidate(); }
  void PlanChanged() { ++Plans; }
  void GetClientRect(RECT* rect) const { *rect = Alive ? Client : RECT{0, 0, 0, 0}; }
  void CreateTickerFont(int nClientHeight) { TickerFontHeight = nClientHeight; }
  BOOL DestroyWindow() {
    const bool was = Alive;
    Alive = false;
    return was;
  }
  void CreateDisplay(CCounter* pCounter, const CString& strName) {
    Counter = pCounter;
    Alive = true;
    ++Creations;
    Title = "Velto - " + strName;
  }

  // What the tests look at.
  CCounter* Counter = nullptr;
  bool Alive = false;
  int Invalidations = 0;
  int Creations = 0;
  int Plans = 0;
  int TickerFontHeight = -1;
  RECT Client{0, 0, 640, 480};
  CString Title;
};
