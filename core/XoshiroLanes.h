// The generator's eight xoshiro128+ streams, stepped together: as SIMD
// values where the standard library has them, else as plain arrays in a loop
// over the lanes that a compiler can vectorise. Both give the same k values.
// (Stepped lane by lane in scalar registers, generation would cost more than
// the running sum's additions it has to keep up with.)
#pragma once

#include "core/StdSimd.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace vellorin {

using LaneWords = std::array<std::uint32_t, 8>;

// One xoshiro128+ step: returns s0 + s3 and moves the state on. Word is one
// stream's 32-bit word, or a SIMD value holding one word of every stream.
// Declared inline because GCC otherwise calls it once per block.
template <class Word>
inline Word xoshiroNext(Word& s0, Word& s1, Word& s2, Word& s3)
{
    const Word sum = s0 + s3;
    const Word t = s1 << 9;
    s2 ^= s0;
    s3 ^= s1;
    s1 ^= s2;
    s0 ^= s3;
    s2 ^= t;
    s3 = (s3 << 11) | (s3 >> 21);
    return sum;
}

class ArrayXoshiroLanes {
public:
    ArrayXoshiroLanes(const LaneWords& a, const LaneWords& b, const LaneWords& c, const LaneWords& d)
        : s0(a), s1(b), s2(c), s3(d)
    {
    }

    // k is the top 24 bits of each stream's output.
    void next(LaneWords& k)
    {
        // GCC unrolls an eight-lane loop before it vectorises, and cannot
        // vectorise the unrolled lanes; kept rolled, the loop vectorises.
#pragma GCC unroll 1
        for (std::size_t lane = 0; lane < k.size(); ++lane)
            k[lane] = xoshiroNext(s0[lane], s1[lane], s2[lane], s3[lane]) >> 8;
    }

private:
    LaneWords s0, s1, s2, s3;
};

#ifdef __cpp_lib_experimental_parallel_simd
class SimdXoshiroLanes {
    using Words = std::experimental::fixed_size_simd<std::uint32_t, 8>;

public:
    SimdXoshiroLanes(const LaneWords& a, const LaneWords& b, const LaneWords& c, const LaneWords& d)
        : s0(a.data(), std::experimental::element_aligned)
        , s1(b.data(), std::experimental::element_aligned)
        , s2(c.data(), std::experimental::element_aligned)
        , s3(d.data(), std::experimental::element_aligned)
    {
    }

    void next(LaneWords& k)
    {
        (xoshiroNext(s0, s1, s2, s3) >> 8).copy_to(k.data(), std::experimental::element_aligned);
    }

private:
    Words s0, s1, s2, s3;
};

using NativeXoshiroLanes = SimdXoshiroLanes;
#else
using NativeXoshiroLanes = ArrayXoshiroLanes;
#endif

} // namespace vellorin
