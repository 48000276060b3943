# WASI, which CMake 3.25 does not know: a POSIX-like system whose programs
# are WebAssembly modules, statically linked.
include(Platform/UnixPaths)
set(CMAKE_EXECUTABLE_SUFFIX .wasm)
set(CMAKE_STATIC_LIBRARY_PREFIX lib)
set(CMAKE_STATIC_LIBRARY_SUFFIX .a)
