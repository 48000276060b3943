# Cross-builds for Linux with Debian's cross compilers, to run here under
# qemu-user-static. LINUX_TARGET, the GNU triplet (s390x-linux-gnu,
# aarch64-linux-gnu, arm-linux-gnueabi, arm-linux-gnueabihf), picks the
# compiler, and LINUX_CPU, where it is set, the processor to compile for
# (armv6). Where LINUX_STATIC is on (s390x, ARMv6), programs are linked
# statically and need no libraries of that architecture here; elsewhere qemu
# finds them in the cross compiler's root.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LINUX_TARGET LINUX_CPU LINUX_STATIC)
set(CMAKE_SYSTEM_NAME Linux)
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR ${LINUX_TARGET})
set(CMAKE_C_COMPILER ${LINUX_TARGET}-gcc)
set(CMAKE_CXX_COMPILER ${LINUX_TARGET}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${LINUX_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
if(LINUX_CPU)
  set(CMAKE_C_FLAGS_INIT -march=${LINUX_CPU})
  set(CMAKE_CXX_FLAGS_INIT -march=${LINUX_CPU})
endif()
if(LINUX_STATIC)
  set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
endif()
