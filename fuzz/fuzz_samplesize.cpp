// Fuzzes reading a sample size and writing it back. The first byte picks the
// separators by its second-lowest bit ('E' English, 'G' German, so corpus
// files read naturally); the rest is the text typed into the box.
//
// Checked on every input: nothing crashes or hangs; an accepted text is a
// whole number from 1 to 10,000,000 by a plain check written here, apart
// from the reader; every accepted size written back with the size pattern is
// read again as the same size; and rendering the text itself with the size
// pattern gives what rendering the accepted size gives.
#include "core/NumberText.h"
#include "core/SampleSize.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

using namespace vellorin;

namespace {

const NumberSeparators english{".", ","};
const NumberSeparators german{",", "."};

[[noreturn]] void fail(const char* what, std::string_view text, const std::string& detail = {})
{
    std::fprintf(stderr, "FINDING: %s\n  text: \"%.*s\"\n  %s\n", what, int(text.size()), text.data(),
                 detail.c_str());
    std::abort();
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The value of a text that is plainly whole: blanks around, an optional '+',
// digits and group separators, then optionally the decimal separator and
// zeros only. Grouping is not checked here (the reader is stricter than
// this); what matters is that nothing else gets through. Leading zeros are
// dropped; more than eight digits left means too big to be a size.
std::optional<std::int64_t> plainWholeValue(std::string_view text, const NumberSeparators& separators)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.starts_with('+'))
        text.remove_prefix(1);

    std::string digits;
    bool inFraction = false;
    while (!text.empty()) {
        if (!inFraction && text.starts_with(separators.decimal)) {
            inFraction = true;
            text.remove_prefix(separators.decimal.size());
        } else if (!inFraction && text.starts_with(separators.group)) {
            text.remove_prefix(separators.group.size());
        } else if (isDigit(text.front())) {
            if (inFraction && text.front() != '0')
                return std::nullopt;
            if (!inFraction && (text.front() != '0' || !digits.empty()))
                digits += text.front();
            text.remove_prefix(1);
        } else {
            return std::nullopt;
        }
    }
    if (digits.size() > 8)
        return std::nullopt;
    std::int64_t value = 0;
    for (const char d : digits)
        value = value * 10 + (d - '0');
    return value;
}

// Only digits with blanks around: such a text in range must always be taken.
bool onlyDigits(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return false;
    for (const char c : text)
        if (!isDigit(c))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const NumberSeparators& separators = (data[0] & 0x02) ? german : english;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::optional<std::int32_t> accepted = acceptSampleSize(text, separators);
    const SampleSizeAnswer answer = readSampleSize(text, separators);
    if (answer.size != accepted)
        fail("an answer to the prompt is judged differently from the box", text);
    const std::string& rendered = answer.shown;
    // Rendering any number must be safe with every pattern the program has.
    if (const std::optional<DecimalText> number = readNumber(text, separators)) {
        (void)formatNumber(*number, figurePattern, separators);
        (void)formatNumber(*number, sharePattern, separators);
    }

    const std::optional<std::int64_t> plain = plainWholeValue(text, separators);
    if (onlyDigits(text) && plain && *plain >= 1 && *plain <= 10'000'000 && !accepted)
        fail("a plain whole number in range was refused", text);
    if (!accepted)
        return 0;

    const std::int32_t value = *accepted;
    if (value < 1 || value > 10'000'000)
        fail("accepted a size out of range", text, "value " + std::to_string(value));
    if (!plain)
        fail("accepted a text that is not plainly whole", text, "value " + std::to_string(value));
    if (*plain != value)
        fail("accepted value differs from the text's digits", text,
             "value " + std::to_string(value) + ", digits " + std::to_string(*plain));

    const std::string written = formatNumber(value, sizePattern, separators);
    const std::optional<std::int32_t> reread = acceptSampleSize(written, separators);
    if (!reread || *reread != value)
        fail("a written-back size does not read back", text,
             "value " + std::to_string(value) + ", written \"" + written + "\"");
    if (rendered != written)
        fail("rendering the text differs from rendering its size", text,
             "from text \"" + rendered + "\", from size \"" + written + "\"");
    return 0;
}
