// <experimental/simd>, where the standard library has it in the form this
// program uses. GCC's libstdc++ does, and announces it with
// __cpp_lib_experimental_parallel_simd; MSVC has no such header, and LLVM's
// libc++ has an incomplete one that does not announce itself. Code that
// needs it checks that macro and otherwise takes the portable lanes.
#pragma once

#if __has_include(<experimental/simd>)
#include <experimental/simd>
#endif
