// xoshiro128+ 1.0, by David Blackman and Sebastiano Vigna: the generator
// behind every draw.
#pragma once

#include <cstdint>

namespace vellorin {

// One step of one stream: returns s0 + s3 and moves the state on.
inline std::uint32_t xoshiro128PlusNext(std::uint32_t& s0, std::uint32_t& s1, std::uint32_t& s2, std::uint32_t& s3)
{
    const std::uint32_t sum = s0 + s3;
    const std::uint32_t t = s1 << 9;
    s2 ^= s0;
    s3 ^= s1;
    s1 ^= s2;
    s0 ^= s3;
    s2 ^= t;
    s3 = (s3 << 11) | (s3 >> 21);
    return sum;
}

} // namespace vellorin
