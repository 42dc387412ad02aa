# Tests of the portable code: they run natively with sanitizers and under Wine.
set(VELTO_PORTABLE_TESTS
  tests/engine/DisplayTextTest.cpp
  tests/engine/CounterTimekeepingTest.cpp
  tests/engine/TextStyleTest.cpp
  tests/engine/FitSearchTest.cpp
  tests/engine/CounterListTest.cpp
  tests/engine/ExpanderOutputTest.cpp
  tests/support/SimulatedExpander.cpp
  tests/engine/TimeEntryTest.cpp
  tests/support/MemoryProfile.cpp
  tests/support/ManualClock.cpp
)

# Tests that need Windows: they run under Wine only.
set(VELTO_WINDOWS_TESTS
  tests/wine/RegistryProfileTest.cpp
  tests/wine/ExecutableTest.cpp
  tests/wine/ExpanderHidTest.cpp
  tests/wine/ControlSheetTest.cpp
  tests/wine/CounterPageTest.cpp
  tests/wine/DisplayWindowTest.cpp
  tests/wine/DisplayRenderingTest.cpp
  tests/wine/StyleDialogTest.cpp
  tests/wine/RepeaterTest.cpp
  tests/support/ScratchRegistry.cpp
  tests/support/ProcessWatch.cpp
  tests/wine/InstalledProgramTest.cpp
  tests/wine/HostileSettingsTest.cpp
  tests/wine/EditableListTest.cpp
  tests/wine/SetupPageTest.cpp
  tests/wine/AboutPageTest.cpp
  tests/wine/KeyboardTest.cpp
  tests/wine/HighDpiTest.cpp
)
