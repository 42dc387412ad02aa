# Fuzz targets of the parsers and formatters that read what the registry
# holds (clang's libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer).
# Each runs for a bounded time from its seed corpus as a ctest test.
set(VELTO_FUZZ_SECONDS 20 CACHE STRING "How long each fuzz target runs in the test suite")

add_library(velto_fuzz_portable STATIC ${VELTO_PORTABLE_SOURCES} ${VELTO_THIRD_PARTY_SOURCES} tests/native/NativeStandIns.cpp
            tests/native/NoExpanderPlatform.cpp
            tests/support/ManualClock.cpp tests/support/MemoryProfile.cpp)
target_include_directories(velto_fuzz_portable PUBLIC
  ${CMAKE_SOURCE_DIR}/tests/native/include ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
target_include_directories(velto_fuzz_portable SYSTEM PUBLIC ${VELTO_THIRD_PARTY_INCLUDES})
target_compile_options(velto_fuzz_portable PUBLIC -fsanitize=fuzzer-no-link,address,undefined
                       -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
velto_warnings(velto_fuzz_portable)

foreach(target counter_list display_text text_style osc_packet http_request)
  string(REPLACE "_" ";" words ${target})
  set(source "")
  foreach(word ${words})
    string(SUBSTRING ${word} 0 1 first)
    string(TOUPPER ${first} first)
    string(SUBSTRING ${word} 1 -1 rest)
    string(APPEND source "${first}${rest}")
  endforeach()
  add_executable(fuzz_${target} tests/fuzz/${source}Fuzz.cpp)
  target_link_libraries(fuzz_${target} PRIVATE velto_fuzz_portable)
  target_link_options(fuzz_${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  velto_warnings(fuzz_${target})
  add_test(NAME fuzz.${target}
           COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                   $<TARGET_FILE:fuzz_${target}> -max_total_time=${VELTO_FUZZ_SECONDS} -print_final_stats=1
                   ${CMAKE_BINARY_DIR}/fuzz-corpus/${target} ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${target})
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-corpus/${target})
endforeach()
