// Tests of number text: the three format patterns, exact rounding of
// halves, and the reading of typed numbers, including hostile input.
//
// Expected texts were worked out by hand from the exact decimal value of
// each double (the expansions are quoted where a row depends on them), not
// taken from the code under test.
#include "core/NumberText.h"
#include "core/SampleSize.h"

#include "support/SeparatorSets.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <string>

using namespace vellorin;
using namespace vellorin::testing;

namespace {

const QByteArray size(sizePattern.data(), qsizetype(sizePattern.size()));
const QByteArray figure(figurePattern.data(), qsizetype(figurePattern.size()));
const QByteArray share(sharePattern.data(), qsizetype(sharePattern.size()));

constexpr qsizetype megabyte = 1 << 20;

std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), std::size_t(bytes.size())};
}

QByteArray repeated(const QByteArray& piece, qsizetype times)
{
    return piece.repeated(times);
}

} // namespace

class tst_NumberText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formatInt_data();
    void formatInt();
    void formatDouble_data();
    void formatDouble();
    void formatFloat_data();
    void formatFloat();
    void formatNonFinite_data();
    void formatNonFinite();
    void formatText_data();
    void formatText();
    void readNumber_data();
    void readNumber();
};

void tst_NumberText::formatInt_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<NumberSeparators>("separators");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("100 -> 100") << 100 << size << english << QByteArray("100");
    QTest::newRow("1000 -> 1,000") << 1000 << size << english << QByteArray("1,000");
    QTest::newRow("1000000 -> 1,000,000") << 1000000 << size << english << QByteArray("1,000,000");
    QTest::newRow("10000000 -> 10,000,000") << 10000000 << size << english << QByteArray("10,000,000");
    QTest::newRow("0 -> empty") << 0 << size << english << QByteArray("");
    QTest::newRow("-5 -> -5") << -5 << size << english << QByteArray("-5");
    QTest::newRow("1 -> 1") << 1 << size << english << QByteArray("1");
    QTest::newRow("999 -> 999") << 999 << size << english << QByteArray("999");
    QTest::newRow("12345 -> 12,345") << 12345 << size << english << QByteArray("12,345");
    QTest::newRow("-1234 -> -1,234") << -1234 << size << english << QByteArray("-1,234");
    QTest::newRow("int max -> 2,147,483,647")
        << std::numeric_limits<int>::max() << size << english << QByteArray("2,147,483,647");
    QTest::newRow("int min -> -2,147,483,648")
        << std::numeric_limits<int>::min() << size << english << QByteArray("-2,147,483,648");

    QTest::newRow("0 -> 0.00000") << 0 << figure << english << QByteArray("0.00000");
    QTest::newRow("1 -> 1.00000") << 1 << figure << english << QByteArray("1.00000");
    QTest::newRow("-3 -> -3.00000") << -3 << figure << english << QByteArray("-3.00000");
    QTest::newRow("1234567 -> 1234567.00000 (no grouping)")
        << 1234567 << figure << english << QByteArray("1234567.00000");

    QTest::newRow("1 -> %100.") << 1 << share << english << QByteArray("%100.");
    QTest::newRow("0 -> %0.") << 0 << share << english << QByteArray("%0.");
    QTest::newRow("-1 -> -%100.") << -1 << share << english << QByteArray("-%100.");
    QTest::newRow("int max -> %214748364700.")
        << std::numeric_limits<int>::max() << share << english << QByteArray("%214748364700.");

    QTest::newRow("de: 1000000 -> 1.000.000") << 1000000 << size << german << QByteArray("1.000.000");
    QTest::newRow("de: 10000000 -> 10.000.000") << 10000000 << size << german << QByteArray("10.000.000");
    QTest::newRow("de: 2 -> 2,00000") << 2 << figure << german << QByteArray("2,00000");
    QTest::newRow("de: 1 -> %100,") << 1 << share << german << QByteArray("%100,");
    QTest::newRow("odd: 1234567 -> 1'234'567") << 1234567 << size << odd << QByteArray("1'234'567");
    QTest::newRow("odd: 7 -> 7~00000") << 7 << figure << odd << QByteArray("7~00000");
    QTest::newRow("fr: 1000000 -> 1 000 000 (U+202F)")
        << 1000000 << size << french << QByteArray("1\u202f000\u202f000");
}

void tst_NumberText::formatInt()
{
    QFETCH(int, value);
    QFETCH(QByteArray, pattern);
    QFETCH(NumberSeparators, separators);
    QFETCH(QByteArray, expected);

    QCOMPARE(QByteArray::fromStdString(formatNumber(std::int32_t(value), view(pattern), separators)), expected);
}

void tst_NumberText::formatDouble_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<NumberSeparators>("separators");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("1000000.0 -> 1,000,000") << 1000000.0 << size << english << QByteArray("1,000,000");
    QTest::newRow("0.0 -> empty") << 0.0 << size << english << QByteArray("");
    // Exact halves in binary: both round away from zero (not to even).
    QTest::newRow("2.5 -> 3") << 2.5 << size << english << QByteArray("3");
    QTest::newRow("3.5 -> 4") << 3.5 << size << english << QByteArray("4");
    QTest::newRow("-2.5 -> -3") << -2.5 << size << english << QByteArray("-3");
    QTest::newRow("1234.5 -> 1,235") << 1234.5 << size << english << QByteArray("1,235");
    QTest::newRow("999999.5 -> 1,000,000") << 999999.5 << size << english << QByteArray("1,000,000");
    // The largest double below one half: adding 0.5 and truncating would give 1.
    QTest::newRow("0.49999999999999994 -> empty")
        << 0.49999999999999994 << size << english << QByteArray("");
    QTest::newRow("-0.4 -> empty (no sign on zero)") << -0.4 << size << english << QByteArray("");
    // 1e23 is exactly 99999999999999991611392.
    QTest::newRow("1e23 -> 99,999,999,999,999,991,611,392")
        << 1e23 << size << english << QByteArray("99,999,999,999,999,991,611,392");
    // The largest double is an integer of 309 digits; it must fit, grouped and signed.
    QTest::newRow("-largest double -> all 309 digits, grouped")
        << -std::numeric_limits<double>::max() << size << english
        << QByteArray("-179,769,313,486,231,570,814,527,423,731,704,356,798,070,567,525,844,996,598,917,476,803,157,260,"
                      "780,028,538,760,589,558,632,766,878,171,540,458,953,514,382,464,234,321,326,889,464,182,768,467,"
                      "546,703,537,516,986,049,910,576,551,282,076,245,490,090,389,328,944,075,868,508,455,133,942,304,"
                      "583,236,903,222,948,165,808,559,332,123,348,274,797,826,204,144,723,168,738,177,180,919,299,881,"
                      "250,404,026,184,124,858,368");
    QTest::newRow("smallest subnormal -> empty")
        << std::numeric_limits<double>::denorm_min() << size << english << QByteArray("");

    QTest::newRow("0.5 -> 0.50000") << 0.5 << figure << english << QByteArray("0.50000");
    QTest::newRow("0.123456 -> 0.12346") << 0.123456 << figure << english << QByteArray("0.12346");
    QTest::newRow("0.9999996 -> 1.00000") << 0.9999996 << figure << english << QByteArray("1.00000");
    QTest::newRow("0 -> 0.00000") << 0.0 << figure << english << QByteArray("0.00000");
    QTest::newRow("-0.0 -> 0.00000") << -0.0 << figure << english << QByteArray("0.00000");
    QTest::newRow("-0.000001 -> 0.00000") << -0.000001 << figure << english << QByteArray("0.00000");
    QTest::newRow("-0.5 -> -0.50000") << -0.5 << figure << english << QByteArray("-0.50000");
    QTest::newRow("123.456789 -> 123.45679") << 123.456789 << figure << english << QByteArray("123.45679");
    // 1/64 is exact: a true half at the sixth decimal, rounded up (printf would give 0.01562).
    QTest::newRow("0.015625 -> 0.01563") << 0.015625 << figure << english << QByteArray("0.01563");
    QTest::newRow("-0.015625 -> -0.01563") << -0.015625 << figure << english << QByteArray("-0.01563");
    // The double nearest 0.123455 is 0.1234549999999999952...: just below the half.
    QTest::newRow("0.123455 -> 0.12345") << 0.123455 << figure << english << QByteArray("0.12345");
    // The double nearest 1.000005 is 1.0000050000000000327...: just above it.
    QTest::newRow("1.000005 -> 1.00001") << 1.000005 << figure << english << QByteArray("1.00001");
    // 99999.999995 is 99999.9999950000055...: the carry runs through every digit.
    QTest::newRow("99999.999995 -> 100000.00000")
        << 99999.999995 << figure << english << QByteArray("100000.00000");
    QTest::newRow("0.49999999999999994 -> 0.50000")
        << 0.49999999999999994 << figure << english << QByteArray("0.50000");
    QTest::newRow("2^100 -> 1267650600228229401496703205376.00000")
        << std::ldexp(1.0, 100) << figure << english << QByteArray("1267650600228229401496703205376.00000");
    QTest::newRow("smallest subnormal -> 0.00000")
        << std::numeric_limits<double>::denorm_min() << figure << english << QByteArray("0.00000");

    QTest::newRow("0.2 -> %20.") << 0.2 << share << english << QByteArray("%20.");
    QTest::newRow("0.19 -> %19.") << 0.19 << share << english << QByteArray("%19.");
    QTest::newRow("0.123456 -> %12.3456") << 0.123456 << share << english << QByteArray("%12.3456");
    QTest::newRow("0.2000049 -> %20.0005") << 0.2000049 << share << english << QByteArray("%20.0005");
    QTest::newRow("20.05 -> %2005.") << 20.05 << share << english << QByteArray("%2005.");
    QTest::newRow("0.199999 -> %19.9999") << 0.199999 << share << english << QByteArray("%19.9999");
    QTest::newRow("1.0 -> %100.") << 1.0 << share << english << QByteArray("%100.");
    QTest::newRow("0.0 -> %0.") << 0.0 << share << english << QByteArray("%0.");
    QTest::newRow("0.00001 -> %0.001") << 0.00001 << share << english << QByteArray("%0.001");
    // 0.0012345 is 0.00123449999...: a hundred times it is just below 0.12345.
    QTest::newRow("0.0012345 -> %0.1234") << 0.0012345 << share << english << QByteArray("%0.1234");
    // 0.00123455 is 0.00123455000...057: just above the half.
    QTest::newRow("0.00123455 -> %0.1235") << 0.00123455 << share << english << QByteArray("%0.1235");
    QTest::newRow("-0.2 -> -%20.") << -0.2 << share << english << QByteArray("-%20.");
    QTest::newRow("-0.0000001 -> %0.") << -0.0000001 << share << english << QByteArray("%0.");

    QTest::newRow("de: 1000000.0 -> 1.000.000") << 1000000.0 << size << german << QByteArray("1.000.000");
    QTest::newRow("de: 0.5 -> 0,50000") << 0.5 << figure << german << QByteArray("0,50000");
    QTest::newRow("de: 0.2 -> %20,") << 0.2 << share << german << QByteArray("%20,");
    QTest::newRow("de: 0.123456 -> %12,3456") << 0.123456 << share << german << QByteArray("%12,3456");
    QTest::newRow("de: 1234567.891 -> 1234567,89100")
        << 1234567.891 << figure << german << QByteArray("1234567,89100");
    QTest::newRow("odd: 1234.5 -> 1'235") << 1234.5 << size << odd << QByteArray("1'235");
    QTest::newRow("odd: 0.5 -> 0~50000") << 0.5 << figure << odd << QByteArray("0~50000");
    QTest::newRow("odd: 0.2 -> %20~") << 0.2 << share << odd << QByteArray("%20~");
    QTest::newRow("odd: 0.123456 -> %12~3456") << 0.123456 << share << odd << QByteArray("%12~3456");
    QTest::newRow("fr: 1000000.0 -> 1 000 000 (U+202F)")
        << 1000000.0 << size << french << QByteArray("1\u202f000\u202f000");
    QTest::newRow("fr: 0.5 -> 0,50000") << 0.5 << figure << french << QByteArray("0,50000");
}

void tst_NumberText::formatDouble()
{
    QFETCH(double, value);
    QFETCH(QByteArray, pattern);
    QFETCH(NumberSeparators, separators);
    QFETCH(QByteArray, expected);

    QCOMPARE(QByteArray::fromStdString(formatNumber(value, view(pattern), separators)), expected);
}

void tst_NumberText::formatFloat_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QByteArray>("expected");

    // 0.9999996f is 0.99999958276...: rounds up once widened.
    QTest::newRow("0.9999996f -> 1.00000") << 0.9999996f << figure << QByteArray("1.00000");
    QTest::newRow("0.5f -> 0.50000") << 0.5f << figure << QByteArray("0.50000");
    // 0.000015f is 0.0000149999996...: the float's own shortest text "1.5e-05"
    // would round up, its widened value does not.
    QTest::newRow("0.000015f -> 0.00001") << 0.000015f << figure << QByteArray("0.00001");
    // 0.300005f is 0.30000498890...: below the half as well.
    QTest::newRow("0.300005f -> 0.30000") << 0.300005f << figure << QByteArray("0.30000");
    // 0.2f is 0.20000000298...: a hundred times it keeps no decimals.
    QTest::newRow("0.2f -> %20.") << 0.2f << share << QByteArray("%20.");
    QTest::newRow("16777216f -> 16,777,216") << 16777216.0f << size << QByteArray("16,777,216");
    QTest::newRow("inf f -> inf") << std::numeric_limits<float>::infinity() << figure << QByteArray("inf");
    QTest::newRow("nan f -> nan") << std::numeric_limits<float>::quiet_NaN() << share << QByteArray("nan");
}

void tst_NumberText::formatFloat()
{
    QFETCH(float, value);
    QFETCH(QByteArray, pattern);
    QFETCH(QByteArray, expected);

    QCOMPARE(QByteArray::fromStdString(formatNumber(value, view(pattern), english)), expected);
}

void tst_NumberText::formatNonFinite_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QByteArray>("expected");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // A not-a-number shows as such in every pattern, whatever its sign bit.
    QTest::newRow("nan, size -> nan") << nan << size << QByteArray("nan");
    QTest::newRow("nan, figure -> nan") << nan << figure << QByteArray("nan");
    QTest::newRow("nan, share -> nan") << nan << share << QByteArray("nan");
    QTest::newRow("-nan, figure -> nan") << -nan << figure << QByteArray("nan");
    QTest::newRow("inf, size -> inf") << inf << size << QByteArray("inf");
    QTest::newRow("inf, figure -> inf") << inf << figure << QByteArray("inf");
    QTest::newRow("inf, share -> inf") << inf << share << QByteArray("inf");
    QTest::newRow("-inf, figure -> -inf") << -inf << figure << QByteArray("-inf");
    QTest::newRow("-inf, share -> -inf") << -inf << share << QByteArray("-inf");
}

void tst_NumberText::formatNonFinite()
{
    QFETCH(double, value);
    QFETCH(QByteArray, pattern);
    QFETCH(QByteArray, expected);

    QCOMPARE(QByteArray::fromStdString(formatNumber(value, view(pattern), english)), expected);
}

void tst_NumberText::formatText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<NumberSeparators>("separators");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("1234.7 -> 1,235") << QByteArray("1234.7") << size << english << QByteArray("1,235");
    QTest::newRow("abc -> abc") << QByteArray("abc") << size << english << QByteArray("abc");
    QTest::newRow("empty -> empty") << QByteArray("") << size << english << QByteArray("");
    QTest::newRow("0 -> empty") << QByteArray("0") << size << english << QByteArray("");
    QTest::newRow("0.4 -> empty") << QByteArray("0.4") << size << english << QByteArray("");
    QTest::newRow("-0.4 -> empty") << QByteArray("-0.4") << size << english << QByteArray("");
    QTest::newRow("' 250 ' -> 250") << QByteArray(" 250 ") << size << english << QByteArray("250");
    QTest::newRow("99999999999 -> 99,999,999,999")
        << QByteArray("99999999999") << size << english << QByteArray("99,999,999,999");
    QTest::newRow("1000000 -> 1,000,000") << QByteArray("1000000") << size << english << QByteArray("1,000,000");
    QTest::newRow("1,000,000 -> 1,000,000") << QByteArray("1,000,000") << size << english << QByteArray("1,000,000");
    QTest::newRow("2.5 -> 3") << QByteArray("2.5") << size << english << QByteArray("3");
    QTest::newRow("-2.5 -> -3") << QByteArray("-2.5") << size << english << QByteArray("-3");
    QTest::newRow("2.4999 -> 2") << QByteArray("2.4999") << size << english << QByteArray("2");
    QTest::newRow("999999.5 -> 1,000,000") << QByteArray("999999.5") << size << english << QByteArray("1,000,000");
    QTest::newRow("007 -> 7") << QByteArray("007") << size << english << QByteArray("7");
    QTest::newRow("+5 -> 5") << QByteArray("+5") << size << english << QByteArray("5");
    QTest::newRow("-0 -> empty") << QByteArray("-0") << size << english << QByteArray("");
    QTest::newRow("1e6 -> 1e6") << QByteArray("1e6") << size << english << QByteArray("1e6");
    QTest::newRow("--5 -> --5") << QByteArray("--5") << size << english << QByteArray("--5");
    QTest::newRow("1,00 -> 1,00") << QByteArray("1,00") << size << english << QByteArray("1,00");
    QTest::newRow("invalid UTF-8 comes back unchanged")
        << QByteArray("\xff\xfe\x80") << size << english << QByteArray("\xff\xfe\x80");
    QTest::newRow("embedded NUL comes back unchanged")
        << QByteArray("12\0" "34", 5) << size << english << QByteArray("12\0" "34", 5);

    // The text is an exact decimal, so a tie here is a real tie (the double
    // nearest 0.123455 is below it, see formatDouble).
    QTest::newRow("text 0.123455 -> 0.12346") << QByteArray("0.123455") << figure << english << QByteArray("0.12346");
    QTest::newRow("text -0.000001 -> 0.00000") << QByteArray("-0.000001") << figure << english << QByteArray("0.00000");
    QTest::newRow("text 1234.5 -> 1234.50000") << QByteArray("1234.5") << figure << english << QByteArray("1234.50000");
    QTest::newRow("text 0.2 -> %20.") << QByteArray("0.2") << share << english << QByteArray("%20.");
    QTest::newRow("text 0.0012345 -> %0.1235") << QByteArray("0.0012345") << share << english << QByteArray("%0.1235");
    QTest::newRow("text 5 -> %500.") << QByteArray("5") << share << english << QByteArray("%500.");
    QTest::newRow("text .5 -> %50.") << QByteArray(".5") << share << english << QByteArray("%50.");

    QTest::newRow("de: 1.234,7 -> 1.235") << QByteArray("1.234,7") << size << german << QByteArray("1.235");
    QTest::newRow("de: 1,234.7 comes back unchanged")
        << QByteArray("1,234.7") << size << german << QByteArray("1,234.7");
    QTest::newRow("odd: 1'234~7 -> 1'235") << QByteArray("1'234~7") << size << odd << QByteArray("1'235");

    // Long texts: rendered from their digits, whatever their length.
    QTest::newRow("999,999 digits of 123123... -> grouped")
        << repeated("123", 333333) << size << english
        << repeated("123,", 333332) + "123";
    QTest::newRow("999,999 nines and .5 -> 1 and 999,999 zeros, grouped")
        << repeated("9", 999999) + ".5" << size << english
        << "1" + repeated(",000", 333333);
    QTest::newRow("1 MB of digits and a letter comes back unchanged")
        << repeated("7", megabyte) + "x" << size << english << repeated("7", megabyte) + "x";
}

void tst_NumberText::formatText()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, pattern);
    QFETCH(NumberSeparators, separators);
    QFETCH(QByteArray, expected);

    // The size pattern is what an answer to the prompt is written back
    // with; the others render exact decimals the way the results are.
    std::string shown;
    if (pattern == size) {
        shown = readSampleSize(view(text), separators).shown;
    } else {
        std::optional<DecimalText> number = vellorin::readNumber(view(text), separators);
        QVERIFY(number);
        shown = formatNumber(std::move(*number), view(pattern), separators);
    }
    QCOMPARE(QByteArray::fromStdString(shown), expected);
}

void tst_NumberText::readNumber_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<NumberSeparators>("separators");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<bool>("negative");
    QTest::addColumn<QByteArray>("integerDigits");
    QTest::addColumn<QByteArray>("fractionDigits");

    const auto number = [](const char* name, const QByteArray& text, const NumberSeparators& separators,
                           bool negative, const QByteArray& integer, const QByteArray& fraction) {
        QTest::newRow(name) << text << separators << true << negative << integer << fraction;
    };
    const auto notNumber = [](const char* name, const QByteArray& text, const NumberSeparators& separators) {
        QTest::newRow(name) << text << separators << false << false << QByteArray() << QByteArray();
    };

    number("100", "100", english, false, "100", "");
    number("1,000,000", "1,000,000", english, false, "1000000", "");
    number("12,345.678", "12,345.678", english, false, "12345", "678");
    number("' 250 '", " 250 ", english, false, "250", "");
    number("tabs and blanks around 42", " \t42\t ", english, false, "42", "");
    number("+5", "+5", english, false, "5", "");
    number("-5", "-5", english, true, "5", "");
    number("-0", "-0", english, true, "", "");
    number("0", "0", english, false, "", "");
    number("007", "007", english, false, "7", "");
    number("0,000", "0,000", english, false, "", "");
    number("3.", "3.", english, false, "3", "");
    number(".5", ".5", english, false, "", "5");
    number("-.5", "-.5", english, true, "", "5");
    number("3.0", "3.0", english, false, "3", "0");
    number("2.500 keeps its zeros", "2.500", english, false, "2", "500");

    notNumber("empty", "", english);
    notNumber("blanks only", " \t ", english);
    notNumber(".", ".", english);
    notNumber("+", "+", english);
    notNumber("-.", "-.", english);
    notNumber("abc", "abc", english);
    notNumber("--5", "--5", english);
    notNumber("+-5", "+-5", english);
    notNumber("- 5", "- 5", english);
    notNumber("5-", "5-", english);
    notNumber("1 000", "1 000", english);
    notNumber("1,,000", "1,,000", english);
    notNumber("1,00", "1,00", english);
    notNumber(",100", ",100", english);
    notNumber("100,", "100,", english);
    notNumber("1,0000", "1,0000", english);
    notNumber("1000,000", "1000,000", english);
    notNumber("1,000,00", "1,000,00", english);
    notNumber("1.000,5", "1.000,5", english);
    notNumber("1.2.3", "1.2.3", english);
    notNumber("1e6", "1e6", english);
    notNumber("1e400", "1e400", english);
    notNumber("1E5", "1E5", english);
    notNumber("0x10", "0x10", english);
    notNumber("nan", "nan", english);
    notNumber("inf", "inf", english);
    notNumber("Infinity", "Infinity", english);
    notNumber("$5", "$5", english);
    notNumber("5%", "5%", english);
    notNumber("Arabic-Indic digits", "\u0661\u0662\u0663", english);
    notNumber("full-width digits", "\uff11\uff12\uff13", english);
    notNumber("no-break space after 5", "5\u00a0", english);
    notNumber("embedded NUL", QByteArray("12\0" "3", 4), english);
    notNumber("NUL alone", QByteArray("\0", 1), english);
    notNumber("invalid UTF-8", "\xff\xfe", english);
    notNumber("digit and a stray continuation byte", "1\x80", english);

    // Hostile lengths: read in one pass, never a crash.
    number("1 MB of digits", repeated("1", megabyte), english, false, repeated("1", megabyte), "");
    number("1 MB of nines with a decimal part", repeated("9", megabyte) + ".25", english, false,
           repeated("9", megabyte), "25");
    number("250,000 groups", "1" + repeated(",000", 250000), english, false, "1" + repeated("000", 250000), "");
    notNumber("1 MB of digits and a letter", repeated("5", megabyte) + "x", english);
    notNumber("1 MB of commas", repeated(",", megabyte), english);
    notNumber("1 MB of blanks", repeated(" ", megabyte), english);
    notNumber("1 MB of minus signs", repeated("-", megabyte), english);
    notNumber("1, and a 1 MB group", "1," + repeated("0", megabyte), english);

    number("de: 1.000.000", "1.000.000", german, false, "1000000", "");
    number("de: 2,0", "2,0", german, false, "2", "0");
    number("de: 1.234,75", "1.234,75", german, false, "1234", "75");
    notNumber("de: 1,000,000", "1,000,000", german);
    notNumber("de: 2.5", "2.5", german);
    number("odd: 1'000~25", "1'000~25", odd, false, "1000", "25");
    notNumber("odd: 1,000.25", "1,000.25", odd);
    number("fr: 1 000 000,5 (U+202F)", "1\u202f000\u202f000,5", french, false, "1000000", "5");
    notNumber("fr: half a group separator", "1\xe2\x80" "000", french);
    notNumber("fr: ASCII blank as group", "1 000", french);

    // Degenerate settings must not crash: equal separators read as decimal,
    // empty ones match nothing.
    const NumberSeparators same{".", "."};
    const NumberSeparators none{"", ""};
    number("same separators: 1.5", "1.5", same, false, "1", "5");
    notNumber("same separators: 1.000.000", "1.000.000", same);
    number("no separators: 123", "123", none, false, "123", "");
    notNumber("no separators: 1.5", "1.5", none);
}

void tst_NumberText::readNumber()
{
    QFETCH(QByteArray, text);
    QFETCH(NumberSeparators, separators);
    QFETCH(bool, isNumber);

    const std::optional<DecimalText> number = vellorin::readNumber(view(text), separators);
    QCOMPARE(number.has_value(), isNumber);
    if (!isNumber)
        return;
    QFETCH(bool, negative);
    QFETCH(QByteArray, integerDigits);
    QFETCH(QByteArray, fractionDigits);
    QCOMPARE(number->negative, negative);
    QCOMPARE(QByteArray::fromStdString(number->integerDigits), integerDigits);
    QCOMPARE(QByteArray::fromStdString(number->fractionDigits), fractionDigits);
}

QTEST_APPLESS_MAIN(tst_NumberText)
#include "tst_numbertext.moc"
