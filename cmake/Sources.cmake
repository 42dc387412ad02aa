# Sources that need no Windows API. They build for the product and natively
# (host g++ with sanitizers, fuzzers).
set(VELTO_PORTABLE_SOURCES
  framework/String.cpp
  framework/Time.cpp
  framework/Clock.cpp
  framework/Power.cpp
  framework/Profile.cpp
  counter/Counter.cpp
  counter/DisplayText.cpp
  counter/TextStyle.cpp
  display/FitSearch.cpp
  display/FramePlan.cpp
  app/CounterList.cpp
  device/ExpanderOutput.cpp
  page/TimeEntry.cpp
  remote/RemoteProtocol.cpp
  remote/WebPages.cpp
)

# Vendored sources (remote/third_party/README.md): built as they came, without
# the project's warnings; their headers are reached as system headers.
set(VELTO_THIRD_PARTY_SOURCES
  remote/third_party/oscpack/osc/OscReceivedElements.cpp
  remote/third_party/oscpack/osc/OscTypes.cpp
  remote/third_party/oscpack/osc/OscOutboundPacketStream.cpp
  remote/third_party/qrcodegen/qrcodegen.c
)
set_source_files_properties(${VELTO_THIRD_PARTY_SOURCES} PROPERTIES COMPILE_OPTIONS "-w")
set(VELTO_THIRD_PARTY_INCLUDES ${CMAKE_SOURCE_DIR}/remote/third_party)

# Sources that talk to Win32 (product build only).
set(VELTO_WINDOWS_SOURCES
  framework/SystemClockWin32.cpp
  framework/SystemPowerWin32.cpp
  framework/WinApp.cpp
  framework/RegKey.cpp
  framework/Wnd.cpp
  framework/Dialog.cpp
  framework/PropertySheet.cpp
  framework/Gdi.cpp
  framework/MessageBox.cpp
  framework/VSListBox.cpp
  display/CounterWindow.cpp
  display/FrameClock.cpp
  device/ExpanderSystemWin32.cpp
  display/TextFit.cpp
  display/GlyphCache.cpp
  app/VeltoApp.cpp
  app/InstanceMark.cpp
  app/VeltoSheet.cpp
  app/SetupPage.cpp
  page/CounterPage.cpp
  framework/CommonDialogs.cpp
  page/StyleDlg.cpp
  page/TickerStyleDialog.cpp
  display/MimicDlg.cpp
  about/AboutPage.cpp
  remote/HttpServer.cpp
  remote/OscServer.cpp
  remote/RemoteControl.cpp
)

# The program's entry: the application object and the resources.
set(VELTO_APP_SOURCES
  app/TheApp.cpp
  framework/WinMain.cpp
)
