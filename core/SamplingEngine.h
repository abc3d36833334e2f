// The sampling engine: draws a run of uniform numbers and tallies them.
//
// The tally keeps a single-precision running sum on purpose: every addition
// is rounded to float, in draw order, so large runs carry the rounding that
// a float sum has (above 2^22 each step rounds to a multiple of 0.5). Do not
// build this with -ffast-math or anything else that may reorder the sum.
#pragma once

#include "core/UniformGenerator.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace vellorin {

inline constexpr std::int32_t smallestSampleSize = 1;
inline constexpr std::int32_t largestSampleSize = 10'000'000;
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

namespace detail {
// Smallest k whose draw's tenth, floor(draw * 10) with the product rounded
// to float, reaches `tenth`. The product is monotone in k, so one search
// finds where each bin starts.
constexpr std::uint32_t firstKWithTenth(int tenth)
{
    std::uint32_t lo = 0, hi = UniformGenerator::drawCount;
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        if (UniformGenerator::toDraw(mid) * 10.0f >= static_cast<float>(tenth))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}
} // namespace detail

// Bin b + 1 starts at binStart[b - 1]: tenths 1-2 are bin 1, 3-4 bin 2, and so on.
inline constexpr std::array<std::uint32_t, 4> binStart{
    detail::firstKWithTenth(2), detail::firstKWithTenth(4),
    detail::firstKWithTenth(6), detail::firstKWithTenth(8)};

// The bin (1 to 5) of the draw k * 2^-24.
constexpr int drawBin(std::uint32_t k)
{
    return 1 + (k >= binStart[0]) + (k >= binStart[1]) + (k >= binStart[2]) + (k >= binStart[3]);
}

namespace detail {
// Everything of a block but the sum, written lane-wise so it vectorises.
template <std::size_t lanes>
inline void tallyBlock(const std::array<std::uint32_t, lanes>& k,
                       std::array<std::uint32_t, lanes>& laneMax,
                       std::array<std::uint32_t, lanes>& laneMin,
                       std::array<std::array<std::uint32_t, lanes>, 4>& atOrAbove)
{
    for (std::size_t lane = 0; lane < lanes; ++lane)
        laneMax[lane] = k[lane] > laneMax[lane] ? k[lane] : laneMax[lane];
    for (std::size_t lane = 0; lane < lanes; ++lane)
        laneMin[lane] = k[lane] < laneMin[lane] ? k[lane] : laneMin[lane];
    for (std::size_t b = 0; b < 4; ++b)
        for (std::size_t lane = 0; lane < lanes; ++lane)
            atOrAbove[b][lane] += k[lane] >= binStart[b] ? 1u : 0u;
}
} // namespace detail

// Draws `count` numbers from `generator` and tallies them. `yield` is called
// after every drawsPerYield draws (also after the last one, when count is a
// multiple) and returns false when the program is ending; the run is then
// abandoned and no tally comes back.
//
// Generator needs `lanes`, `Block`, `nextBlock(Block&)` giving 24-bit k
// values, and `toDraw(k)`. The loop keeps per-lane maxima, minima and
// "at or above bin start" counters so the compiler can vectorise all of it;
// only the float sum runs draw by draw.
template <class Generator, class Yield>
std::optional<RunTally> run(std::int32_t count, Generator& generator, Yield&& yield)
{
    constexpr int lanes = Generator::lanes;
    using Block = typename Generator::Block;

    RunTally tally;
    tally.count = count;

    float sum = 0.0f;
    std::array<std::uint32_t, lanes> laneMax{};
    std::array<std::uint32_t, lanes> laneMin;
    laneMin.fill(UniformGenerator::drawCount); // k of 1.0, the starting smallest
    std::array<std::array<std::uint32_t, lanes>, 4> atOrAbove{};
    Block k;

    std::int32_t done = 0;
    while (done < count) {
        const std::int32_t segment = std::min(count - done, drawsPerYield);
        const std::int32_t blocks = segment / lanes;
        for (std::int32_t block = 0; block < blocks; ++block) {
            generator.nextBlock(k);
            detail::tallyBlock(k, laneMax, laneMin, atOrAbove);
            for (int lane = 0; lane < lanes; ++lane)
                sum += Generator::toDraw(k[lane]);
        }
        const int rest = static_cast<int>(segment - blocks * lanes);
        if (rest > 0) {
            generator.nextBlock(k);
            for (int lane = 0; lane < rest; ++lane) {
                sum += Generator::toDraw(k[lane]);
                laneMax[lane] = std::max(laneMax[lane], k[lane]);
                laneMin[lane] = std::min(laneMin[lane], k[lane]);
                for (int b = 0; b < 4; ++b)
                    atOrAbove[b][lane] += k[lane] >= binStart[b];
            }
        }
        done += segment;
        if (segment == drawsPerYield && !yield())
            return std::nullopt;
    }

    tally.sum = sum;
    tally.biggest = Generator::toDraw(*std::max_element(laneMax.begin(), laneMax.end()));
    tally.smallest = Generator::toDraw(*std::min_element(laneMin.begin(), laneMin.end()));
    std::array<std::int32_t, 4> above{};
    for (int b = 0; b < 4; ++b)
        for (int lane = 0; lane < lanes; ++lane)
            above[b] += static_cast<std::int32_t>(atOrAbove[b][lane]);
    tally.bins = {count - above[0], above[0] - above[1], above[1] - above[2],
                  above[2] - above[3], above[3]};
    return tally;
}

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
