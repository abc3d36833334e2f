// The sampling engine: draws a run of uniform numbers and tallies them.
//
// The tally keeps a single-precision running sum on purpose: every addition
// is rounded to float, in draw order, so large runs carry the rounding that
// a float sum has (above 2^22 each step rounds to a multiple of 0.5). Do not
// build this with -ffast-math or anything else that may reorder the sum.
#pragma once

#include "core/UniformGenerator.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace vellorin {

// The event loop gets a turn after every this many draws.
inline constexpr std::int32_t drawsPerYield = 110'000;

struct RunTally {
    std::int32_t count = 0;
    float sum = 0.0f;
    float biggest = 0.0f;
    float smallest = 1.0f;
    // bins[0] counts draws in [0.0, 0.2), bins[1] in [0.2, 0.4), ... bins[4] in [0.8, 1.0).
    std::array<std::int32_t, 5> bins{};
};

// Draws `count` numbers from `generator` and tallies them. `yield` is called
// after every drawsPerYield draws (also after the last one, when count is a
// multiple) and returns false when the program is ending; the run is then
// abandoned and no tally comes back. A run of the largest size yields ninety
// times, so the indirect call costs nothing. Compiled in core, where the
// engine gets its optimisation; core/SamplingLoop.h has the loop for other
// generators.
std::optional<RunTally> run(std::int32_t count, UniformGenerator& generator, const std::function<bool()>& yield);

// The mean draw, sum / count.
inline double average(const RunTally& tally)
{
    return tally.count > 0 ? static_cast<double>(tally.sum) / tally.count : 0.0;
}

// The fraction of draws in bin b (1 to 5); the share pattern turns it into
// a percentage.
inline double share(const RunTally& tally, int bin)
{
    if (tally.count <= 0 || bin < 1 || bin > 5)
        return 0.0;
    return static_cast<double>(tally.bins[bin - 1]) / tally.count;
}

} // namespace vellorin
