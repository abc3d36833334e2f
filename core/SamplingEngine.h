// The sampling engine: draws a run of uniform numbers and tallies them.
//
// The tally keeps a single-precision running sum on purpose: every addition
// is rounded to float, in draw order, so large runs carry the rounding that
// a float sum has (above 2^22 each step rounds to a multiple of 0.5). Do not
// build this with -ffast-math or anything else that may reorder the sum.
#pragma once

#include "core/SampleSize.h"
#include "core/UniformGenerator.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <experimental/simd>
#include <limits>
#include <optional>
#include <type_traits>

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

// Draws `count` numbers from `generator` and tallies them. `yield` is called
// after every drawsPerYield draws (also after the last one, when count is a
// multiple) and returns false when the program is ending; the run is then
// abandoned and no tally comes back.
//
// Generator needs `lanes` (a multiple of 8), a contiguous `Block` of that
// many 32-bit values and `nextBlock(Block&)` filling it with 24-bit k values.
// The draws are k * 2^-24, taken block by block and lane by lane; a run that
// ends inside a block uses the block's first lanes and drops the rest.
//
// Only the float sum has to go draw by draw. Maxima, minima and bin counters
// are kept per lane in SIMD values, so the processor works on them while it
// waits for each addition of the sum.
template <class Generator, class Yield>
std::optional<RunTally> run(std::int32_t count, Generator& generator, Yield&& yield)
{
    namespace stdx = std::experimental;
    // 128-bit values, the SSE2 registers of every x86-64. Their masks are
    // plain vector masks; GCC 12 turns fixed_size masks into bit masks and
    // back, which costs more than the rest of the loop.
    using Floats = stdx::simd<float, stdx::simd_abi::deduce_t<float, 4>>;
    using Ints = stdx::simd<std::int32_t, stdx::simd_abi::deduce_t<std::int32_t, 4>>;
    using Shorts = stdx::simd<std::int16_t, stdx::simd_abi::deduce_t<std::int16_t, 8>>;
    static_assert(sizeof(Ints) == sizeof(Shorts) && std::is_trivially_copyable_v<Ints>);
    constexpr int width = 4;
    constexpr int lanes = Generator::lanes;
    static_assert(lanes % (2 * width) == 0, "a block must split into pairs of registers");
    // Bin counters take 16 bits per lane, one draw per block, and are
    // emptied after every segment.
    static_assert(drawsPerYield / lanes <= std::numeric_limits<std::int16_t>::max());

    // The loop works on k as a float, the draw times 2^24. Scaling by a power
    // of two commutes with rounding, so the float sum of the k values, scaled
    // back at the end, is bit for bit the float sum of the draws in draw
    // order; it saves a multiplication per draw.
    constexpr float toDraws = UniformGenerator::drawScale;
    float kSum = 0.0f;
    // Every piece of a block feeds the same accumulators: fewer registers
    // to keep live across the loop.
    Floats biggest = 0.0f;
    Floats smallest = static_cast<float>(UniformGenerator::drawCount); // k of 1.0
    // segmentAbove[b] counts the draws of the segment in bin b + 2 or higher.
    std::array<Shorts, 4> segmentAbove{};
    std::array<std::int32_t, 4> above{};
    typename Generator::Block k;
    alignas(Floats) std::array<float, lanes> kFloats;

    const Ints laneIndex([](int lane) { return lane; });
    const Floats laneIndexFloat([](int lane) { return static_cast<float>(lane); });

    // Tallies the block's first `taken` lanes. The block loop passes all
    // lanes, and there the compiler drops the lane masks.
    const auto tally = [&](int taken) {
        for (int pair = 0; pair < lanes; pair += 2 * width) {
            std::array<Ints, 2> binBelow; // the bin minus 1
            for (int half = 0; half < 2; ++half) {
                const int first = pair + half * width;
                const Ints kPiece(k.data() + first, stdx::element_aligned);
                const Floats kFloat = stdx::static_simd_cast<Floats>(kPiece);
                kFloat.copy_to(kFloats.data() + first, stdx::vector_aligned);
                for (int lane = first; lane < std::min(taken, first + width); ++lane)
                    kSum += kFloats[lane];
                const auto inRunFloat = laneIndexFloat < static_cast<float>(taken - first);
                stdx::where(inRunFloat, biggest) = stdx::max(biggest, kFloat);
                stdx::where(inRunFloat, smallest) = stdx::min(smallest, kFloat);
                // The tenth-and-bin rule comes to bin = floor(x) + 1 for
                // x = r * 5 rounded to float: r * 10 rounded is exactly 2x,
                // and ceil((floor(2x) + 1) / 2) = floor(x) + 1. k * (5 * 2^-24)
                // rounds the same product.
                binBelow[half] = stdx::static_simd_cast<Ints>(kFloat * (5.0f * toDraws));
                // Lanes past the run's end count in no "above"; bin 1 is only
                // what the others leave of count.
                stdx::where(laneIndex >= taken - first, binBelow[half]) = 0;
            }
            // Both pieces' bins, one draw per 16-bit lane, so each compare
            // covers eight draws.
            const Shorts bins = std::bit_cast<Shorts>(binBelow[0] | (binBelow[1] << 16));
            for (std::size_t b = 0; b < 4; ++b) {
                // A true lane of a mask is -1: subtracting it counts in one
                // instruction, where `+= 1` takes two.
                Shorts minusOne = 0;
                stdx::where(bins > static_cast<std::int16_t>(b), minusOne) = -1;
                segmentAbove[b] -= minusOne;
            }
        }
    };

    std::int32_t done = 0;
    while (done < count) {
        const std::int32_t segment = std::min(count - done, drawsPerYield);
        const std::int32_t blocks = segment / lanes;
        for (std::int32_t block = 0; block < blocks; ++block) {
            generator.nextBlock(k);
            tally(lanes);
        }
        if (const int rest = static_cast<int>(segment - blocks * lanes); rest > 0) {
            generator.nextBlock(k);
            tally(rest);
        }
        for (std::size_t b = 0; b < 4; ++b) {
            above[b] += stdx::reduce(stdx::static_simd_cast<stdx::fixed_size_simd<std::int32_t, 8>>(segmentAbove[b]));
            segmentAbove[b] = 0;
        }
        done += segment;
        if (segment == drawsPerYield && !yield())
            return std::nullopt;
    }

    RunTally result;
    result.count = count;
    result.sum = kSum * toDraws;
    result.biggest = stdx::hmax(biggest) * toDraws;
    result.smallest = stdx::hmin(smallest) * toDraws;
    result.bins = {count - above[0], above[0] - above[1], above[1] - above[2],
                   above[2] - above[3], above[3]};
    return result;
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
