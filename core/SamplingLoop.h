// The engine's draw loop, for any generator of draws: the program's run
// (core/SamplingEngine.cpp) is this loop on the program's generator.
#pragma once

#include "core/Draws.h"
#include "core/LaneTally.h"
#include "core/SamplingEngine.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace vellorin {

// As run in core/SamplingEngine.h. The sum adds the k values rather than
// the draws: scaling by a power of two commutes with rounding, so the float
// sum of the k values in draw order, scaled back at the end, is bit for bit
// the float sum of the draws, and it saves a multiplication per draw.
template <DrawGenerator Generator>
std::optional<RunTally> run(std::int32_t count, Generator& generator, const std::function<bool()>& yield)
{
    constexpr int lanes = Generator::lanes;
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
        done += segment;
        if (segment == drawsPerYield && !yield())
            return std::nullopt;
    }
    return RunTally{count, kSum * drawUnit, laneTally.biggestK() * drawUnit, laneTally.smallestK() * drawUnit,
                    laneTally.bins(count)};
}

} // namespace vellorin
