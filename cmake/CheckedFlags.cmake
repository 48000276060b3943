# Flags that not every toolchain knows (Apple's linker has no -z options, an
# older GCC no -ffile-prefix-map) are added only where the compiler or the
# linker takes them: add_flags_where_taken(COMPILE|LINK FLAG...). Each flag
# is checked beside those of the same call taken before it, as
# -Werror=format-security needs -Wformat.
include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)

function(add_flags_where_taken kind)
  foreach(flag ${ARGN})
    string(MAKE_C_IDENTIFIER "NUMPRESS_${kind}_TAKES${flag}" taken)
    if(kind STREQUAL COMPILE)
      check_cxx_compiler_flag(${flag} ${taken})
      if(${taken})
        add_compile_options(${flag})
        string(APPEND CMAKE_REQUIRED_FLAGS " ${flag}")
      endif()
    else()
      check_linker_flag(CXX ${flag} ${taken})
      if(${taken})
        add_link_options(${flag})
      endif()
    endif()
  endforeach()
endfunction()
