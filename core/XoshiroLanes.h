// The generator's eight xoshiro128+ streams, stepped together in a loop over
// the lanes that the compiler vectorises. (Stepped lane by lane in scalar
// registers, generation would cost more than the running sum's additions it
// has to keep up with.)
#pragma once

#include "core/Xoshiro128Plus.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace vellorin {

using LaneWords = std::array<std::uint32_t, 8>;

class XoshiroLanes {
public:
    // Lane i starts from the state a[i], b[i], c[i], d[i].
    XoshiroLanes(const LaneWords& a, const LaneWords& b, const LaneWords& c, const LaneWords& d)
        : s0_(a), s1_(b), s2_(c), s3_(d)
    {
    }

    // k is the top 24 bits of each stream's output.
    void next(LaneWords& k)
    {
        // Compilers unroll an eight-lane loop before they vectorise, and do
        // not vectorise the unrolled lanes; kept rolled, the loop vectorises.
#pragma GCC unroll 1
        for (std::size_t lane = 0; lane < k.size(); ++lane)
            k[lane] = xoshiro128PlusNext(s0_[lane], s1_[lane], s2_[lane], s3_[lane]) >> 8;
    }

private:
    LaneWords s0_, s1_, s2_, s3_;
};

} // namespace vellorin
