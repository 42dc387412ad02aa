# Product build: MinGW-w64 cross compile, linked statically so that the
# executables import only system DLLs.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR} -I${CMAKE_BINARY_DIR}/generated")

add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 NOMINMAX WIN32_LEAN_AND_MEAN STRICT)
add_link_options(-static -static-libgcc -static-libstdc++)

find_package(Python3 REQUIRED COMPONENTS Interpreter)

# Generated inputs of the resource script: the version header and the icon.
configure_file(resources/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
set(VELTO_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${VELTO_BUILD_NUMBER}")
configure_file(resources/Velto.manifest ${CMAKE_BINARY_DIR}/generated/Velto.manifest @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/generated/Velto.ico
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_icon.py ${CMAKE_BINARY_DIR}/generated/Velto.ico
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_icon.py
  COMMENT "Drawing the application icon")
add_custom_target(velto_icon DEPENDS ${CMAKE_BINARY_DIR}/generated/Velto.ico)

set(VELTO_SYSTEM_LIBS user32 gdi32 comctl32 comdlg32 winmm msimg32 setupapi hid version advapi32 shell32 uxtheme iphlpapi
    ws2_32)

# Debian's header-only JSON library, reached through a folder that holds only
# it (never the host's whole /usr/include).
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/debian-include)
file(CREATE_LINK /usr/include/nlohmann ${CMAKE_BINARY_DIR}/debian-include/nlohmann SYMBOLIC)

add_library(velto_lib STATIC ${VELTO_PORTABLE_SOURCES} ${VELTO_WINDOWS_SOURCES} ${VELTO_THIRD_PARTY_SOURCES})
target_include_directories(velto_lib PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
target_include_directories(velto_lib SYSTEM PUBLIC ${VELTO_THIRD_PARTY_INCLUDES} ${CMAKE_BINARY_DIR}/debian-include)
target_link_libraries(velto_lib PUBLIC ${VELTO_SYSTEM_LIBS})
velto_warnings(velto_lib)

add_library(velto_resources OBJECT resources/Velto.rc)
add_dependencies(velto_resources velto_icon)
set_source_files_properties(resources/Velto.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_BINARY_DIR}/generated/Velto.ico;${CMAKE_BINARY_DIR}/generated/version.h;${CMAKE_BINARY_DIR}/generated/Velto.manifest;${CMAKE_SOURCE_DIR}/resources/resource.h")

add_executable(Velto WIN32 ${VELTO_APP_SOURCES} $<TARGET_OBJECTS:velto_resources>)
target_link_libraries(Velto PRIVATE velto_lib)
target_link_options(Velto PRIVATE -mwindows)
velto_warnings(Velto)

# ---- tests -----------------------------------------------------------------
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tools/wine-exec.sh)

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

include(cmake/TestSources.cmake)
add_executable(velto_tests ${VELTO_PORTABLE_TESTS} ${VELTO_WINDOWS_TESTS} tests/wine/main.cpp
               $<TARGET_OBJECTS:velto_resources>)
target_include_directories(velto_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(velto_tests PRIVATE velto_lib gtest)
target_compile_definitions(velto_tests PRIVATE VELTO_EXE_PATH="Velto.exe")
add_dependencies(velto_tests Velto)

# Two small programs for the version text's tests: one with a known product
# version, one without any version resource.
add_executable(velto_version_probe tests/probes/Probe.cpp tests/probes/VersionProbe.rc)
add_executable(velto_plain_probe tests/probes/Probe.cpp)
add_dependencies(velto_tests velto_version_probe velto_plain_probe)
velto_warnings(velto_tests)

add_executable(velto_keepalive WIN32 tests/support/WineKeepAlive.cpp)
target_link_options(velto_keepalive PRIVATE -mwindows)
velto_warnings(velto_keepalive)

include(GoogleTest)
gtest_discover_tests(velto_tests TEST_PREFIX "wine." DISCOVERY_MODE PRE_TEST
                     DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)

# Remote control of the real program through real clients (HTTP, OSC).
add_test(NAME remote.http_osc
         COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/remote/remote-test.py $<TARGET_FILE:Velto>
                 $<TARGET_FILE:velto_drive>)
set_tests_properties(remote.http_osc PROPERTIES TIMEOUT 240)
# The live view in a real browser (headless chromium) against the real program.
add_test(NAME remote.browser_view
         COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/remote/view-test.py $<TARGET_FILE:Velto>
                 $<TARGET_FILE:velto_drive>)
set_tests_properties(remote.browser_view PROPERTIES TIMEOUT 300)

add_test(NAME exe.imports_only_system_dlls
         COMMAND bash ${CMAKE_SOURCE_DIR}/tools/check-imports.sh $<TARGET_FILE:Velto> $<TARGET_FILE:velto_tests>)

# ---- distribution ----------------------------------------------------------
# The installer (NSIS) and the portable zip, both from the same Velto.exe and
# the version of this project.
set(VELTO_DIST_VERSION "${PROJECT_VERSION}.${VELTO_BUILD_NUMBER}")
set(VELTO_INSTALLER ${CMAKE_BINARY_DIR}/dist/Velto-${PROJECT_VERSION}-setup.exe)
set(VELTO_PORTABLE_ZIP ${CMAKE_BINARY_DIR}/dist/Velto-${PROJECT_VERSION}-portable.zip)
find_program(MAKENSIS makensis REQUIRED)
add_custom_command(
  OUTPUT ${VELTO_INSTALLER}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/dist
  COMMAND ${MAKENSIS} -V2 -DVERSION=${VELTO_DIST_VERSION} -DEXE=$<TARGET_FILE:Velto>
          -DICON=${CMAKE_BINARY_DIR}/generated/Velto.ico -DREADME=${CMAKE_SOURCE_DIR}/README.md
          -DOUTFILE=${VELTO_INSTALLER} ${CMAKE_SOURCE_DIR}/installer/Velto.nsi
  DEPENDS Velto ${CMAKE_SOURCE_DIR}/installer/Velto.nsi ${CMAKE_SOURCE_DIR}/README.md
  COMMENT "Building the installer")
add_custom_command(
  OUTPUT ${VELTO_PORTABLE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/dist/portable/Velto
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Velto> ${CMAKE_BINARY_DIR}/dist/portable/Velto/Velto.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_BINARY_DIR}/dist/portable/Velto/README.txt
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/dist/portable
          ${CMAKE_COMMAND} -E tar cf ${VELTO_PORTABLE_ZIP} --format=zip Velto
  DEPENDS Velto ${CMAKE_SOURCE_DIR}/README.md
  COMMENT "Building the portable zip")
add_custom_target(dist ALL DEPENDS ${VELTO_INSTALLER} ${VELTO_PORTABLE_ZIP})

# The installer test upgrades over an older build: the same script with a
# version older than any release, carrying a small stand-in program so that
# the upgrade visibly replaces it. It runs installers and uninstallers with
# and without administrator rights through velto_run_command.
set(VELTO_OLDER_INSTALLER ${CMAKE_BINARY_DIR}/installer-test/Velto-0.1-setup.exe)
add_custom_command(
  OUTPUT ${VELTO_OLDER_INSTALLER}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/installer-test
  COMMAND ${MAKENSIS} -V2 -DVERSION=0.1.0.0 -DEXE=$<TARGET_FILE:velto_plain_probe>
          -DICON=${CMAKE_BINARY_DIR}/generated/Velto.ico -DREADME=${CMAKE_SOURCE_DIR}/README.md
          -DOUTFILE=${VELTO_OLDER_INSTALLER} ${CMAKE_SOURCE_DIR}/installer/Velto.nsi
  DEPENDS velto_plain_probe velto_icon ${CMAKE_SOURCE_DIR}/installer/Velto.nsi ${CMAKE_SOURCE_DIR}/README.md
  COMMENT "Building an older installer for the installer test")
add_executable(velto_run_command tests/support/RunCommand.cpp)
target_link_libraries(velto_run_command PRIVATE advapi32 shell32)
velto_warnings(velto_run_command)
add_custom_target(installer_test_inputs ALL DEPENDS ${VELTO_OLDER_INSTALLER})
add_dependencies(installer_test_inputs velto_run_command velto_drive)

add_test(NAME installer.install_run_uninstall
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/installer/installer-test.sh ${VELTO_INSTALLER} ${VELTO_PORTABLE_ZIP}
                 ${VELTO_OLDER_INSTALLER} ${VELTO_DIST_VERSION})
set_tests_properties(installer.install_run_uninstall PROPERTIES TIMEOUT 600)

# Figures of the display's drawing costs (not a test): see README, "Performance".
add_executable(velto_display_bench tests/bench/DisplayBenchmark.cpp tests/support/ManualClock.cpp
                                   $<TARGET_OBJECTS:velto_resources>)
target_include_directories(velto_display_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(velto_display_bench PRIVATE velto_lib)
velto_warnings(velto_display_bench)

# Drives a running Velto from outside for tools/screenshots.sh and the
# installer test (not shipped).
add_executable(velto_drive tools/velto-drive.cpp)
target_include_directories(velto_drive PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(velto_drive PRIVATE user32 comctl32)
velto_warnings(velto_drive)

# ---- soak and benchmarks ---------------------------------------------------
# The real program in-process, driven through its controls for a given time
# (tools/soak/). The test command runs a short soak; tools/bench.py uses its
# bench mode.
add_executable(velto_soak tools/soak/SoakMain.cpp tools/soak/SoakDriver.cpp tools/soak/FrameWatch.cpp
               tools/soak/ProcessCounters.cpp tests/support/ScratchRegistry.cpp $<TARGET_OBJECTS:velto_resources>)
target_include_directories(velto_soak PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(velto_soak PRIVATE velto_lib psapi)
velto_warnings(velto_soak)
# The simple way of doing what the displays do, beside which tools/bench.py
# measures them (not shipped).
add_executable(velto_polling_reference tests/bench/PollingReference.cpp)
target_link_libraries(velto_polling_reference PRIVATE user32 gdi32 winmm)
velto_warnings(velto_polling_reference)
add_test(NAME soak.short COMMAND velto_soak --seconds 120 --rebuild-every 40 --stall-ms 1500)
set_tests_properties(soak.short PROPERTIES TIMEOUT 300)
