# Cross-builds for Linux with Debian's cross compilers, to run here under
# qemu-user-static. LINUX_ARCH (s390x, aarch64) picks the compiler. Where
# LINUX_STATIC is on (s390x), programs are linked statically and need no
# libraries of that architecture here; elsewhere qemu finds them in the cross
# compiler's root.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LINUX_ARCH LINUX_STATIC)
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${LINUX_ARCH})
set(CMAKE_C_COMPILER ${LINUX_ARCH}-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER ${LINUX_ARCH}-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${LINUX_ARCH}-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
if(LINUX_STATIC)
  set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
endif()
