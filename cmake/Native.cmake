# Host build: the portable sources and their tests, under AddressSanitizer and
# UndefinedBehaviorSanitizer. Windows-only collaborators are replaced by the
# stand-ins in tests/native/include.
option(VELTO_FUZZ "Build the fuzz targets (needs clang) instead of the unit tests" OFF)
if(VELTO_FUZZ)
  include(cmake/Fuzz.cmake)
  return()
endif()

find_package(GTest REQUIRED)

set(VELTO_SANITIZE "-fsanitize=address,undefined" CACHE STRING "Sanitizer flags of the host build")

add_library(velto_portable STATIC ${VELTO_PORTABLE_SOURCES} ${VELTO_THIRD_PARTY_SOURCES}
            tests/native/NativeStandIns.cpp tests/native/NoExpanderPlatform.cpp)
target_include_directories(velto_portable SYSTEM PUBLIC ${VELTO_THIRD_PARTY_INCLUDES})
target_include_directories(velto_portable PUBLIC
  ${CMAKE_SOURCE_DIR}/tests/native/include
  ${CMAKE_SOURCE_DIR})
target_compile_options(velto_portable PUBLIC ${VELTO_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
target_link_options(velto_portable PUBLIC ${VELTO_SANITIZE})
velto_warnings(velto_portable)

include(cmake/TestSources.cmake)
add_executable(velto_native_tests ${VELTO_PORTABLE_TESTS} tests/native/main.cpp)
target_include_directories(velto_native_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(velto_native_tests PRIVATE velto_portable GTest::gtest)
velto_warnings(velto_native_tests)

include(GoogleTest)
gtest_discover_tests(velto_native_tests TEST_PREFIX "native." DISCOVERY_MODE PRE_TEST)
