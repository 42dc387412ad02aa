# Every target of the project compiles with warnings as errors.
function(velto_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wshadow=local
                                           -Wnon-virtual-dtor -Wno-missing-field-initializers)
endfunction()
