# Flags that not every toolchain knows (Apple's linker has no -z options, an
# older GCC no -ffile-prefix-map) are added only where the compiler or the
# linker takes them: add_flags_where_taken(COMPILE|LINK FLAG...). Each check
# builds a program, so the flags of a call are checked together first; where
# they are not all taken, each is checked beside those of the call taken
# before it, as -Werror=format-security needs -Wformat.
include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)

# Whether the compiler (COMPILE) or the linker (LINK) takes the list FLAGS,
# into the cache variable VARIABLE.
macro(check_flags kind flags variable)
  if(${kind} STREQUAL COMPILE)
    check_cxx_compiler_flag("${flags}" ${variable})
  else()
    check_linker_flag(CXX "${flags}" ${variable})
  endif()
endmacro()

function(add_flags_where_taken kind)
  string(MAKE_C_IDENTIFIER "NUMPRESS_${kind}_TAKES${ARGN}" all_taken)
  check_flags(${kind} "${ARGN}" ${all_taken})
  set(taken ${ARGN})
  if(NOT ${all_taken})
    set(taken)
    foreach(flag ${ARGN})
      set(trial ${taken} ${flag})
      string(MAKE_C_IDENTIFIER "NUMPRESS_${kind}_TAKES${trial}" flag_taken)
      check_flags(${kind} "${trial}" ${flag_taken})
      if(${flag_taken})
        list(APPEND taken ${flag})
      endif()
    endforeach()
  endif()
  if(kind STREQUAL COMPILE)
    add_compile_options(${taken})
  else()
    add_link_options(${taken})
  endif()
endfunction()
