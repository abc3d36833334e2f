// The program's uniform generator: eight interleaved xoshiro128+ streams,
// seeded from the time of day.
//
// Each draw is k * 2^-24 for a 24-bit k taken from the top of a 32-bit
// output. The eight streams are stepped together (core/XoshiroLanes.h), so
// generating a draw costs far less than the single-precision addition that
// the running sum must wait for.
#pragma once

#include "core/Draws.h"
#include "core/SplitMix64.h"
#include "core/XoshiroLanes.h"

#include <array>
#include <bit>
#include <cstdint>

namespace vellorin {

class UniformGenerator {
public:
    static constexpr int lanes = 8;
    using Block = std::array<std::uint32_t, lanes>;

    explicit UniformGenerator(float secondsSinceMidnight = 0.0f) : streams_(seeded(secondsSinceMidnight)) {}

    // Seeds every lane from the time of day.
    void reseed(float secondsSinceMidnight) { streams_ = seeded(secondsSinceMidnight); }

    // The next eight draws as their 24-bit k, lane by lane.
    void nextBlock(Block& k) { streams_.next(k); }

private:
    // The float's bits are SplitMix64's starting state, so times a fraction
    // of a second apart still start unrelated sequences. Lane by lane, two
    // outputs give the stream's four words, low half first.
    static XoshiroLanes seeded(float secondsSinceMidnight)
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
        return XoshiroLanes(a, b, c, d);
    }

    XoshiroLanes streams_;
};

static_assert(DrawGenerator<UniformGenerator>);

} // namespace vellorin
