# Every target of the project compiles with warnings as errors.
function(velto_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>
                         -Wno-missing-field-initializers)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wshadow=local)
  else()
    target_compile_options(${target} PRIVATE -Wshadow-uncaptured-local)
  endif()
endfunction()
