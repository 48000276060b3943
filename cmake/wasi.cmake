# Builds for WebAssembly with WASI (wasm32-wasi), with Debian's clang 14,
# wasi-libc and libc++ for wasm32: the command line as numpress.wasm, for any
# WASI runtime, and the browser page's module. Debian installs the target's
# headers and libraries under /usr/include/wasm32-wasi and
# /usr/lib/wasm32-wasi, where clang looks for them in a sysroot of that
# shape only, so the build makes one of links. C++ exceptions are off: the
# code throws none, and wasm32 has no run-time for them here.
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})  # Platform/WASI.cmake
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_AR llvm-ar-14 CACHE FILEPATH "")
set(CMAKE_RANLIB llvm-ranlib-14 CACHE FILEPATH "")
set(CMAKE_CXX_FLAGS_INIT -fno-exceptions)

set(CMAKE_SYSROOT ${CMAKE_BINARY_DIR}/wasi-sysroot)
if(NOT EXISTS ${CMAKE_SYSROOT}/lib/wasm32-wasi)
  file(MAKE_DIRECTORY ${CMAKE_SYSROOT}/lib)
  file(CREATE_LINK /usr/include/wasm32-wasi ${CMAKE_SYSROOT}/include SYMBOLIC)
  file(CREATE_LINK /usr/lib/wasm32-wasi ${CMAKE_SYSROOT}/lib/wasm32-wasi SYMBOLIC)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
