// Number text: reading typed numbers and rendering values through the
// program's format patterns. All arithmetic on the way from a value to its
// text is done on decimal digit strings, so rounding is exact: a double is
// first expanded to all of its decimal digits, and halves are decided on
// those digits, never on a binary approximation of them.
#include "core/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <system_error>
#include <utility>

namespace vellorin {

namespace {

constexpr bool isBlank(char c) { return c == ' ' || c == '\t'; }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::size_t digitRun(std::string_view text)
{
    std::size_t n = 0;
    while (n < text.size() && isDigit(text[n]))
        ++n;
    return n;
}

// An empty separator never matches: an empty decimal separator means
// "no decimal part", an empty group separator "no grouping".
bool startsWithSeparator(std::string_view text, std::string_view separator)
{
    return !separator.empty() && text.starts_with(separator);
}

// Reads the integer digits at the front of `rest`. Grouping is strict, as
// the size pattern writes it: a first group of one to three digits, then
// groups of exactly three. The decimal separator is tried before the group
// separator, so a setting where both are the same reads it as decimal.
bool readIntegerPart(std::string_view& rest, const NumberSeparators& separators, std::string& digits)
{
    const std::size_t firstRun = digitRun(rest);
    digits.append(rest.substr(0, firstRun));
    rest.remove_prefix(firstRun);
    if (firstRun == 0 || firstRun > 3)
        return true; // a group separator after these is left over and refuses the text
    while (!startsWithSeparator(rest, separators.decimal) && startsWithSeparator(rest, separators.group)) {
        rest.remove_prefix(separators.group.size());
        if (digitRun(rest) != 3)
            return false;
        digits.append(rest.substr(0, 3));
        rest.remove_prefix(3);
    }
    return true;
}

// What a format pattern asks for. Only the characters that the program's
// patterns use are understood; text before the first and after the last
// digit position is copied as it stands, '%' included.
struct PatternShape {
    std::string_view prefix; // text before the first digit position ('%' included)
    std::string_view suffix; // text after the last digit position
    bool percent = false;
    bool grouped = false;
    bool decimalPoint = false;
    std::size_t minIntegerDigits = 0;  // the '0' positions before the point
    std::size_t minFractionDigits = 0; // up to the last '0' after the point
    std::size_t maxFractionDigits = 0; // all positions after the point
};

constexpr std::string_view numberCharacters = "0#,.";

PatternShape parsePattern(std::string_view pattern)
{
    PatternShape shape;
    const std::size_t first = pattern.find_first_of(numberCharacters);
    if (first == std::string_view::npos) {
        shape.prefix = pattern;
        shape.percent = pattern.find('%') != std::string_view::npos;
        return shape;
    }
    const std::size_t last = pattern.find_last_of(numberCharacters);
    shape.prefix = pattern.substr(0, first);
    shape.suffix = pattern.substr(last + 1);
    shape.percent = shape.prefix.find('%') != std::string_view::npos
        || shape.suffix.find('%') != std::string_view::npos;

    const std::string_view number = pattern.substr(first, last - first + 1);
    const std::size_t point = number.find('.');
    const std::string_view integerPart = number.substr(0, point);
    for (std::size_t i = 0; i < integerPart.size(); ++i) {
        if (integerPart[i] == '0')
            ++shape.minIntegerDigits;
        // A comma groups only when it stands between digit positions.
        if (integerPart[i] == ',' && integerPart.find_last_of("0#", i) != std::string_view::npos
            && integerPart.find_first_of("0#", i) != std::string_view::npos)
            shape.grouped = true;
    }
    if (point == std::string_view::npos)
        return shape;
    shape.decimalPoint = true;
    for (const char c : number.substr(point + 1)) {
        if (c == '0' || c == '#')
            ++shape.maxFractionDigits;
        if (c == '0')
            shape.minFractionDigits = shape.maxFractionDigits;
    }
    return shape;
}

// Writes a rounded number into the pattern: `integer` has no leading zeros,
// `fraction` no more digits than the pattern shows. Used by every overload,
// including the integer one that must not allocate for short texts.
std::string layOut(bool negative, std::string_view integer, std::string_view fraction,
                   const PatternShape& shape, const NumberSeparators& separators)
{
    const std::size_t integerPadding =
        integer.size() < shape.minIntegerDigits ? shape.minIntegerDigits - integer.size() : 0;
    const std::size_t integerLength = integer.size() + integerPadding;
    const std::size_t groupSeparators =
        shape.grouped && integerLength > 0 ? (integerLength - 1) / 3 : 0;
    const std::size_t fractionPadding =
        fraction.size() < shape.minFractionDigits ? shape.minFractionDigits - fraction.size() : 0;

    std::string text;
    text.reserve((negative ? 1 : 0) + shape.prefix.size() + integerLength
                 + groupSeparators * separators.group.size()
                 + (shape.decimalPoint ? separators.decimal.size() : 0)
                 + fraction.size() + fractionPadding + shape.suffix.size());
    if (negative)
        text += '-';
    text += shape.prefix;
    for (std::size_t i = 0; i < integerLength; ++i) {
        if (i > 0 && shape.grouped && (integerLength - i) % 3 == 0)
            text += separators.group;
        text += i < integerPadding ? '0' : integer[i - integerPadding];
    }
    if (shape.decimalPoint) {
        text += separators.decimal;
        text += fraction;
        text.append(fractionPadding, '0');
    }
    text += shape.suffix;
    return text;
}

// Adds one unit in the last place kept, carrying into the integer digits
// and growing them when the carry runs off the front (9.99 -> 10.0).
void incrementMagnitude(DecimalText& number)
{
    for (std::string* digits : {&number.fractionDigits, &number.integerDigits}) {
        for (auto it = digits->rbegin(); it != digits->rend(); ++it) {
            if (*it != '9') {
                ++*it;
                return;
            }
            *it = '0';
        }
    }
    number.integerDigits.insert(number.integerDigits.begin(), '1');
}

// '%' scales by a hundred: moving the point two digits is exact, where a
// binary multiply would round.
void shiftPointRightTwice(DecimalText& number)
{
    std::string& fraction = number.fractionDigits;
    for (std::size_t i = 0; i < 2; ++i)
        number.integerDigits += i < fraction.size() ? fraction[i] : '0';
    fraction.erase(0, 2);
}

void stripLeadingZeros(std::string& digits)
{
    digits.erase(0, digits.find_first_not_of('0'));
}

// Rounds to `decimals` places, halves away from zero. The digits are the
// exact value, so the first digit dropped decides on its own: '5' or more
// means the dropped part is at least half a unit.
void roundToDecimals(DecimalText& number, std::size_t decimals)
{
    if (number.fractionDigits.size() <= decimals)
        return;
    const bool up = number.fractionDigits[decimals] >= '5';
    number.fractionDigits.resize(decimals);
    if (up)
        incrementMagnitude(number);
}

std::string renderDecimal(DecimalText number, const PatternShape& shape, const NumberSeparators& separators)
{
    if (shape.percent)
        shiftPointRightTwice(number);
    stripLeadingZeros(number.integerDigits);
    roundToDecimals(number, shape.maxFractionDigits);

    std::string& fraction = number.fractionDigits;
    // A value that rounds to zero loses its sign: "0.00000", never "-0.00000".
    const bool zero = number.integerDigits.empty() && fraction.find_first_not_of('0') == std::string::npos;
    while (fraction.size() > shape.minFractionDigits && fraction.back() == '0')
        fraction.pop_back();
    return layOut(number.negative && !zero, number.integerDigits, fraction, shape, separators);
}

// Enough fixed-point decimals to hold every double exactly: the smallest
// subnormal, 2^-1074, has 1074 of them.
constexpr int exactDoubleDecimals = 1074;
constexpr std::size_t exactDoubleChars =
    1 + std::numeric_limits<double>::max_exponent10 + 1 + 1 + exactDoubleDecimals;

DecimalText exactDecimal(double value, std::size_t decimalsNeeded)
{
    std::array<char, exactDoubleChars + 16> buffer;
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, exactDoubleDecimals);
    std::string_view text(buffer.data(), error == std::errc{} ? static_cast<std::size_t>(end - buffer.data()) : 0);

    DecimalText number;
    if (text.starts_with('-')) {
        number.negative = true;
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    number.integerDigits = text.substr(0, point);
    if (point != std::string_view::npos)
        // Digits past the first one dropped by rounding cannot change it.
        number.fractionDigits = text.substr(point + 1, decimalsNeeded + 1);
    return number;
}

std::string nonFiniteText(double value)
{
    if (std::isnan(value))
        return "nan";
    return value < 0 ? "-inf" : "inf";
}

} // namespace

std::optional<DecimalText> readNumber(std::string_view text, const NumberSeparators& separators)
{
    std::string_view rest = trimBlanks(text);
    DecimalText number;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        number.negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    if (!readIntegerPart(rest, separators, number.integerDigits))
        return std::nullopt;
    if (startsWithSeparator(rest, separators.decimal)) {
        rest.remove_prefix(separators.decimal.size());
        const std::size_t run = digitRun(rest);
        number.fractionDigits = rest.substr(0, run);
        rest.remove_prefix(run);
    }
    if (!rest.empty() || (number.integerDigits.empty() && number.fractionDigits.empty()))
        return std::nullopt;
    stripLeadingZeros(number.integerDigits);
    return number;
}

std::string formatNumber(double value, std::string_view pattern, const NumberSeparators& separators)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    const PatternShape shape = parsePattern(pattern);
    const std::size_t decimalsNeeded = shape.maxFractionDigits + (shape.percent ? 2 : 0);
    return renderDecimal(exactDecimal(value, decimalsNeeded), shape, separators);
}

std::string formatNumber(float value, std::string_view pattern, const NumberSeparators& separators)
{
    return formatNumber(static_cast<double>(value), pattern, separators);
}

// An integer needs neither the digit expansion nor rounding, so this path
// works in a small stack buffer, and a sample size's text is short enough
// to need no heap either: reading back every size stays cheap.
std::string formatNumber(std::int32_t value, std::string_view pattern, const NumberSeparators& separators)
{
    const PatternShape shape = parsePattern(pattern);
    // The magnitude as unsigned, so that the most negative value has one too.
    const std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value)
                                              : static_cast<std::uint32_t>(value);
    std::array<char, 16> digits{};
    std::size_t length = 0;
    if (magnitude != 0) {
        length = static_cast<std::size_t>(
            std::to_chars(digits.data(), digits.data() + digits.size(), magnitude).ptr - digits.data());
        if (shape.percent) {
            digits[length++] = '0';
            digits[length++] = '0';
        }
    }
    return layOut(value < 0, std::string_view(digits.data(), length), {}, shape, separators);
}

std::string formatNumber(DecimalText number, std::string_view pattern, const NumberSeparators& separators)
{
    return renderDecimal(std::move(number), parsePattern(pattern), separators);
}

} // namespace vellorin
