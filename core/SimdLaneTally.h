// The per-lane part of a run's tally, in SIMD values: maxima, minima and bin
// counters. Only the float sum has to go draw by draw; kept per lane, the
// rest is work the processor does while it waits for each addition.
#pragma once

#include "core/StdSimd.h"

#ifdef __cpp_lib_experimental_parallel_simd

#include "core/Draws.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace vellorin {

namespace stdx = std::experimental;

template <int lanes>
class SimdLaneTally {
    // 128-bit values, the SSE2 registers of every x86-64. Their masks are
    // plain vector masks; GCC 12 turns fixed_size masks into bit masks and
    // back, which costs more than the rest of the loop.
    using Floats = stdx::simd<float, stdx::simd_abi::deduce_t<float, 4>>;
    using Ints = stdx::simd<std::int32_t, stdx::simd_abi::deduce_t<std::int32_t, 4>>;
    using Shorts = stdx::simd<std::int16_t, stdx::simd_abi::deduce_t<std::int16_t, 8>>;
    static_assert(sizeof(Ints) == sizeof(Shorts) && std::is_trivially_copyable_v<Ints>);
    static constexpr int width = 4;
    static_assert(lanes % (2 * width) == 0, "a block must split into pairs of registers");

public:
    // Takes the block's first `taken` draws, and hands back the block's k as
    // floats for the sum. The block loop passes all lanes, and there the
    // compiler drops the lane masks.
    const std::array<float, lanes>& take(const std::array<std::uint32_t, lanes>& k, int taken)
    {
        const Ints laneIndex([](int lane) { return lane; });
        const Floats laneIndexFloat([](int lane) { return static_cast<float>(lane); });
        for (int pair = 0; pair < lanes; pair += 2 * width) {
            std::array<Ints, 2> binBelow; // the bin minus 1
            for (int half = 0; half < 2; ++half) {
                const int first = pair + half * width;
                const Floats kFloat = stdx::static_simd_cast<Floats>(Ints(k.data() + first, stdx::element_aligned));
                kFloat.copy_to(kFloats_.data() + first, stdx::vector_aligned);
                const auto inRun = laneIndexFloat < static_cast<float>(taken - first);
                stdx::where(inRun, biggest_) = stdx::max(biggest_, kFloat);
                stdx::where(inRun, smallest_) = stdx::min(smallest_, kFloat);
                binBelow[half] = stdx::static_simd_cast<Ints>(kFloat * fifthsPerK);
                // Lanes past the run's end count in no "above"; bin 1 is only
                // what the others leave of the count.
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
                segmentAbove_[b] -= minusOne;
            }
        }
        return kFloats_;
    }

    // Empties the 16-bit counters into the run's; once per segment keeps
    // them from overflowing.
    void endSegment()
    {
        for (std::size_t b = 0; b < 4; ++b) {
            above_[b] += stdx::reduce(stdx::static_simd_cast<stdx::fixed_size_simd<std::int32_t, 8>>(segmentAbove_[b]));
            segmentAbove_[b] = 0;
        }
    }

    float biggestK() const { return stdx::hmax(biggest_); }
    float smallestK() const { return stdx::hmin(smallest_); }

    // bins[0] counts what is in no "above", bins[4] what is in all four.
    std::array<std::int32_t, 5> bins(std::int32_t count) const
    {
        return {count - above_[0], above_[0] - above_[1], above_[1] - above_[2], above_[2] - above_[3], above_[3]};
    }

    // Each 16-bit counter takes one draw in eight.
    static constexpr std::int32_t mostDrawsPerSegment = std::numeric_limits<std::int16_t>::max() * 2 * width;

private:
    Floats biggest_ = 0.0f;
    Floats smallest_ = static_cast<float>(distinctKs); // k of the draw 1.0
    // segmentAbove_[b] counts the segment's draws in bin b + 2 or higher.
    std::array<Shorts, 4> segmentAbove_{};
    std::array<std::int32_t, 4> above_{};
    alignas(Floats) std::array<float, lanes> kFloats_;
};

} // namespace vellorin

#endif
