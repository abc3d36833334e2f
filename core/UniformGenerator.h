// The program's uniform generator: eight interleaved xoshiro128+ streams.
//
// Each draw is k * 2^-24 for a 24-bit k taken from the top of a 32-bit
// output, so every draw is an exact single-precision value in [0, 1): 0 can
// occur, 1 never does. The eight lanes are stepped together as one SIMD
// value, so generating a draw costs far less than the single-precision
// addition that the running sum must wait for. (Written as a plain loop over
// the lanes, GCC kept the state in scalar registers and stepped it lane by
// lane, which made generation the bottleneck.)
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <experimental/simd>

namespace vellorin {

class UniformGenerator {
public:
    static constexpr int lanes = 8;
    using Block = std::array<std::uint32_t, lanes>;

    // Draws are k * 2^-24; this is the scale that turns k into the draw.
    static constexpr float drawScale = 0x1p-24f;
    static constexpr std::uint32_t drawCount = 1u << 24;

    explicit UniformGenerator(float secondsSinceMidnight = 0.0f) { reseed(secondsSinceMidnight); }

    // Seeds every lane from the time of day. The float's bits go through
    // SplitMix64, so times a fraction of a second apart still start
    // unrelated sequences.
    void reseed(float secondsSinceMidnight)
    {
        std::uint64_t mix = std::bit_cast<std::uint32_t>(secondsSinceMidnight);
        Block a, b, c, d;
        for (int lane = 0; lane < lanes; ++lane) {
            const std::uint64_t low = splitMix64(mix);
            const std::uint64_t high = splitMix64(mix);
            a[lane] = static_cast<std::uint32_t>(low);
            b[lane] = static_cast<std::uint32_t>(low >> 32);
            c[lane] = static_cast<std::uint32_t>(high);
            d[lane] = static_cast<std::uint32_t>(high >> 32);
            if ((a[lane] | b[lane] | c[lane] | d[lane]) == 0)
                a[lane] = 1; // xoshiro's one forbidden state
        }
        s0.copy_from(a.data(), std::experimental::element_aligned);
        s1.copy_from(b.data(), std::experimental::element_aligned);
        s2.copy_from(c.data(), std::experimental::element_aligned);
        s3.copy_from(d.data(), std::experimental::element_aligned);
    }

    // The next eight draws as their 24-bit k, lane by lane.
    void nextBlock(Block& k)
    {
        ((s0 + s3) >> 8).copy_to(k.data(), std::experimental::element_aligned);
        const Lanes t = s1 << 9;
        s2 ^= s0;
        s3 ^= s1;
        s1 ^= s2;
        s0 ^= s3;
        s2 ^= t;
        s3 = (s3 << 11) | (s3 >> 21);
    }

    static constexpr float toDraw(std::uint32_t k) { return static_cast<float>(k) * drawScale; }

private:
    using Lanes = std::experimental::fixed_size_simd<std::uint32_t, lanes>;

    static constexpr std::uint64_t splitMix64(std::uint64_t& state)
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    Lanes s0, s1, s2, s3;
};

} // namespace vellorin
