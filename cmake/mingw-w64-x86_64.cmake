# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (POSIX thread
# model, whose runtime links statically like the rest).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything links statically, the compiler's runtime included, so that a
# program runs with nothing beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
# Tests and other programs built here run under wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
