function(kestrel_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Werror
    -Wshadow -Wnon-virtual-dtor -Wcast-align -Wformat=2 -Wformat-security
    -Wimplicit-fallthrough)
endfunction()
