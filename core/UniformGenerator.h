// The program's uniform generator: eight interleaved xoshiro128+ streams.
//
// Each draw is k * 2^-24 for a 24-bit k taken from the top of a 32-bit
// output, so every draw is an exact single-precision value in [0, 1): 0 can
// occur, 1 never does. Eight independent lanes let the compiler step all of
// them at once with vector instructions, so generating a draw costs far less
// than the single-precision addition that the running sum must wait for.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

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
        for (int lane = 0; lane < lanes; ++lane) {
            const std::uint64_t a = splitMix64(mix);
            const std::uint64_t b = splitMix64(mix);
            s0[lane] = static_cast<std::uint32_t>(a);
            s1[lane] = static_cast<std::uint32_t>(a >> 32);
            s2[lane] = static_cast<std::uint32_t>(b);
            s3[lane] = static_cast<std::uint32_t>(b >> 32);
            if ((s0[lane] | s1[lane] | s2[lane] | s3[lane]) == 0)
                s0[lane] = 1; // xoshiro's one forbidden state
        }
    }

    // The next eight draws as their 24-bit k, lane by lane.
    inline void nextBlock(Block& k)
    {
        for (int lane = 0; lane < lanes; ++lane) {
            std::uint32_t a = s0[lane], b = s1[lane], c = s2[lane], d = s3[lane];
            k[lane] = (a + d) >> 8;
            const std::uint32_t t = b << 9;
            c ^= a;
            d ^= b;
            b ^= c;
            a ^= d;
            c ^= t;
            d = std::rotl(d, 11);
            s0[lane] = a;
            s1[lane] = b;
            s2[lane] = c;
            s3[lane] = d;
        }
    }

    static constexpr float toDraw(std::uint32_t k) { return static_cast<float>(k) * drawScale; }

private:
    static constexpr std::uint64_t splitMix64(std::uint64_t& state)
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    alignas(32) std::array<std::uint32_t, lanes> s0{}, s1{}, s2{}, s3{};
};

} // namespace vellorin
