// Which texts are acceptable sample sizes.
#pragma once

#include "core/NumberText.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellorin {

inline constexpr std::int32_t smallestSampleSize = 1;
inline constexpr std::int32_t largestSampleSize = 10'000'000;

// A whole number from 1 to 10,000,000, read under the given separators
// ("3.0" is 3; "2.5", "0" and "10000001" are not sizes).
std::optional<std::int32_t> acceptSampleSize(std::string_view text, const NumberSeparators& separators);

// A typed answer, read once: what the box shows for it (rendered with the
// size pattern, or the text as typed when it is no number) and the sample
// size it gives, if it is an acceptable one.
struct SampleSizeAnswer {
    std::string shown;
    std::optional<std::int32_t> size;
};
SampleSizeAnswer readSampleSize(std::string_view text, const NumberSeparators& separators);

} // namespace vellorin
