// The engine's draw loop, for any generator of draws, with the per-lane
// tally as a template parameter so that the SIMD and the portable tallies
// can be run side by side.
#pragma once

#include "core/ArrayLaneTally.h"
#include "core/Draws.h"
#include "core/SamplingEngine.h"
#include "core/SimdLaneTally.h"
#include "core/YieldRef.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace vellorin {

// A lane tally keeps the maxima, minima and bin counts lane by lane:
// take(block, taken) takes a block's first `taken` draws and hands back its
// k values as floats, endSegment() comes after every segment, and
// biggestK(), smallestK() and bins(count) give the run's figures.
#ifdef __cpp_lib_experimental_parallel_simd
template <int lanes>
using NativeLaneTally = SimdLaneTally<lanes>;
#else
template <int lanes>
using NativeLaneTally = ArrayLaneTally<lanes>;
#endif

// As run in core/SamplingEngine.h. The sum adds the k values rather than
// the draws: scaling by a power of two commutes with rounding, so the float
// sum of the k values in draw order, scaled back at the end, is bit for bit
// the float sum of the draws, and it saves a multiplication per draw.
template <template <int> class LaneTally = NativeLaneTally, DrawGenerator Generator>
std::optional<RunTally> run(std::int32_t count, Generator& generator, YieldRef yield)
{
    constexpr int lanes = Generator::lanes;
    static_assert(drawsPerYield <= LaneTally<lanes>::mostDrawsPerSegment);
    LaneTally<lanes> laneTally;
    float kSum = 0.0f;
    const auto drawBlock = [&generator, &laneTally, &kSum](int taken) {
        typename Generator::Block k;
        generator.nextBlock(k);
        const std::array<float, lanes>& kFloats = laneTally.take(k, taken);
        for (int lane = 0; lane < taken; ++lane)
            kSum += kFloats[lane];
    };

    for (std::int32_t done = 0; done < count;) {
        const std::int32_t segment = std::min(count - done, drawsPerYield);
        // Whole blocks pass a constant `taken`, which lets the lane masks go.
        for (std::int32_t block = 0; block < segment / lanes; ++block)
            drawBlock(lanes);
        if (segment % lanes > 0)
            drawBlock(segment % lanes);
        laneTally.endSegment();
        done += segment;
        if (segment == drawsPerYield && !yield())
            return std::nullopt;
    }
    return RunTally{count, kSum * drawUnit, laneTally.biggestK() * drawUnit, laneTally.smallestK() * drawUnit,
                    laneTally.bins(count)};
}

} // namespace vellorin
