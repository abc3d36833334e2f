// Which texts are acceptable sample sizes. The typed text is checked on its
// digits, before any conversion, so that no length of input can overflow
// into a valid size.
#include "core/SampleSize.h"

#include <string>
#include <utility>

namespace vellorin {

namespace {

// The largest size has eight digits; anything longer is too big whatever it says.
constexpr std::size_t maxSizeDigits = 8;

bool isWhole(const DecimalText& number)
{
    return number.fractionDigits.find_first_not_of('0') == std::string::npos;
}

std::optional<std::int32_t> sampleSizeOf(const DecimalText& number)
{
    // A negative text is refused whatever its digits: "-0" is zero, and zero is no size either.
    if (number.negative || !isWhole(number) || number.integerDigits.size() > maxSizeDigits)
        return std::nullopt;
    std::int32_t size = 0;
    for (const char digit : number.integerDigits)
        size = size * 10 + (digit - '0');
    if (size < smallestSampleSize || size > largestSampleSize)
        return std::nullopt;
    return size;
}

} // namespace

std::optional<std::int32_t> acceptSampleSize(std::string_view text, const NumberSeparators& separators)
{
    const std::optional<DecimalText> number = readNumber(text, separators);
    return number ? sampleSizeOf(*number) : std::nullopt;
}

SampleSizeAnswer readSampleSize(std::string_view text, const NumberSeparators& separators)
{
    std::optional<DecimalText> number = readNumber(text, separators);
    if (!number)
        return {std::string(text), std::nullopt};
    const std::optional<std::int32_t> size = sampleSizeOf(*number);
    return {formatNumber(std::move(*number), sizePattern, separators), size};
}

} // namespace vellorin
