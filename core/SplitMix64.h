// SplitMix64, by Sebastiano Vigna: turns the generator's one seed into the
// states of its streams.
#pragma once

#include <cstdint>

namespace vellorin {

// Returns the next output and moves `state` on.
constexpr std::uint64_t splitMix64(std::uint64_t& state)
{
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

} // namespace vellorin
