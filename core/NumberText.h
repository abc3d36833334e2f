// Number text: rendering numbers through the program's format patterns and
// reading numbers typed by the user. The separators are handed in, so the
// same code serves every regional setting.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellorin {

struct NumberSeparators {
    std::string decimal = ".";
    std::string group = ",";
};

// The three patterns the program renders numbers with.
inline constexpr std::string_view sizePattern = "##,###,###";   // the sample size
inline constexpr std::string_view figurePattern = "0.00000";    // average, biggest, smallest
inline constexpr std::string_view sharePattern = "%0.####";     // bin shares

// A number read from text, kept as its decimal digits so that no length of
// input can overflow or lose a digit.
struct DecimalText {
    bool negative = false;
    std::string integerDigits;  // no leading zeros; empty for a zero integer part
    std::string fractionDigits; // as typed, trailing zeros kept
};

// Reads `text` as a number: optional blanks around it, an optional sign,
// ASCII digits with optional group separators in groups of three, and an
// optional decimal part. Anything else is not a number.
std::optional<DecimalText> readNumber(std::string_view text, const NumberSeparators& separators);

// Renders a value with one of the patterns above. Rounding is to the
// pattern's decimals, halves away from zero; a float is widened first.
std::string formatNumber(double value, std::string_view pattern, const NumberSeparators& separators);
std::string formatNumber(float value, std::string_view pattern, const NumberSeparators& separators);
std::string formatNumber(std::int32_t value, std::string_view pattern, const NumberSeparators& separators);
// A number read from text, rendered exactly from its digits.
std::string formatNumber(DecimalText number, std::string_view pattern, const NumberSeparators& separators);

} // namespace vellorin
