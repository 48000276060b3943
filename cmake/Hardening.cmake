# The protections that Debian's packages get from dpkg-buildflags under
# hardening=+all, and the control-flow protection of the processor where it
# has one. Every Linux build has them, so the tests run the program as
# shipped. They give way to a distribution's own: NUMPRESS_HARDENING=OFF
# leaves them all out, and each is added only where the tools take it.
#
# WebAssembly needs none of them, or has no run-time for them: a module's
# code is not in its memory, so no stack smash can redirect it and no
# address of code can leak (no PIE); calls through a pointer are checked
# against the callee's type by the runtime (no -fcf-protection); nothing is
# relocated or linked at start-up (no RELRO); wasi-libc has no fortified
# functions and no __stack_chk_fail, and the stack has no guard page to
# clash with.
if(CMAKE_SYSTEM_NAME STREQUAL WASI)
  return()
endif()
add_flags_where_taken(COMPILE -fstack-protector-strong -fstack-clash-protection -Wformat
  -Werror=format-security)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i.86)$")
  add_flags_where_taken(COMPILE -fcf-protection)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
  add_flags_where_taken(COMPILE -mbranch-protection=standard)
endif()

# Fortified functions need the optimiser; a Debug build has none. A level
# that the flags or the compiler set already (Fedora's 3, say) is kept.
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS -O2)
check_cxx_source_compiles("#ifdef _FORTIFY_SOURCE\n#error\n#endif\nint main() {}"
  NUMPRESS_FORTIFY_UNSET)
unset(CMAKE_REQUIRED_FLAGS)
if(NUMPRESS_FORTIFY_UNSET)
  add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
endif()

# Relocations read-only and bound at start-up, where the linker can.
add_flags_where_taken(LINK -Wl,-z,relro -Wl,-z,now)

# Position-independent programs, where the compiler and the linker can make
# them; none in a build whose programs are all static (s390x).
if(NOT CMAKE_EXE_LINKER_FLAGS MATCHES "(^| )-static( |$)")
  include(CheckPIESupported)
  check_pie_supported(LANGUAGES CXX)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()
