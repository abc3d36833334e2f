// The per-lane part of a run's tally: maxima, minima and bin counts kept lane
// by lane. Only the float sum has to go draw by draw; kept per lane, the rest
// is work the processor does while it waits for each addition.
#pragma once

#include "core/Draws.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace vellorin {

template <int lanes>
class LaneTally {
public:
    // Takes the block's first `taken` draws, and hands back the block's k as
    // floats for the sum.
    const std::array<float, lanes>& take(const std::array<std::uint32_t, lanes>& k, int taken)
    {
        // Kept rolled so that it vectorises, as in XoshiroLanes.
#pragma GCC unroll 1
        for (int lane = 0; lane < lanes; ++lane) {
            const float kFloat = static_cast<float>(static_cast<std::int32_t>(k[lane]));
            kFloats_[lane] = kFloat;
            const bool inRun = lane < taken;
            // Lanes past the run's end offer the starting values, which move
            // neither figure. Every lane takes a max and a min: a store in
            // some lanes only may vectorise as a branch per lane.
            biggest_[lane] = std::max(biggest_[lane], inRun ? kFloat : startingBiggest);
            smallest_[lane] = std::min(smallest_[lane], inRun ? kFloat : startingSmallest);
            // Lanes past the run's end count in no "above"; bin 1 is only
            // what the others leave of the count.
            const std::int32_t binBelow = inRun ? static_cast<std::int32_t>(kFloat * fifthsPerK) : 0;
            above1_[lane] += binBelow > 0;
            above2_[lane] += binBelow > 1;
            above3_[lane] += binBelow > 2;
            above4_[lane] += binBelow > 3;
        }
        return kFloats_;
    }

    float biggestK() const { return *std::max_element(biggest_.begin(), biggest_.end()); }
    float smallestK() const { return *std::min_element(smallest_.begin(), smallest_.end()); }

    // bins[0] counts what is in no "above", bins[4] what is in all four.
    std::array<std::int32_t, 5> bins(std::int32_t count) const
    {
        const std::array<std::int32_t, 4> above{total(above1_), total(above2_), total(above3_), total(above4_)};
        return {count - above[0], above[0] - above[1], above[1] - above[2], above[2] - above[3], above[3]};
    }

private:
    // 32-bit counters: a lane takes at most an eighth of a run.
    using Counts = std::array<std::int32_t, lanes>;

    static std::int32_t total(const Counts& counts)
    {
        std::int32_t sum = 0;
        for (const std::int32_t count : counts)
            sum += count;
        return sum;
    }

    static constexpr std::array<float, lanes> filled(float value)
    {
        std::array<float, lanes> values;
        values.fill(value);
        return values;
    }

    static constexpr float startingBiggest = 0.0f;
    static constexpr float startingSmallest = static_cast<float>(distinctKs); // k of the draw 1.0

    std::array<float, lanes> biggest_ = filled(startingBiggest);
    std::array<float, lanes> smallest_ = filled(startingSmallest);
    // aboveN_ counts the draws in bin N + 1 or higher, lane by lane.
    Counts above1_{}, above2_{}, above3_{}, above4_{};
    std::array<float, lanes> kFloats_;
};

} // namespace vellorin
