// Tests of which texts are acceptable sample sizes, and that every size the
// program writes back into the box is read again as the same size.
#include "core/NumberText.h"
#include "core/SampleSize.h"
#include "support/SeparatorSets.h"

#include <QTest>

#include <cstdint>
#include <optional>
#include <string>

using namespace vellorin;
using namespace vellorin::testing;

namespace {

constexpr qsizetype megabyte = 1 << 20;

std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), std::size_t(bytes.size())};
}

} // namespace

class tst_SampleSize : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void accept_data();
    void accept();
    void writtenBackIsReadAgain_data();
    void writtenBackIsReadAgain();
};

void tst_SampleSize::accept_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<NumberSeparators>("separators");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("size");

    const auto yes = [](const char* name, const QByteArray& text, const NumberSeparators& separators, int size) {
        QTest::newRow(name) << text << separators << true << size;
    };
    const auto no = [](const char* name, const QByteArray& text, const NumberSeparators& separators) {
        QTest::newRow(name) << text << separators << false << 0;
    };

    yes("100", "100", english, 100);
    yes("1", "1", english, 1);
    yes("10000000", "10000000", english, 10000000);
    yes("10,000,000", "10,000,000", english, 10000000);
    yes("1,000,000", "1,000,000", english, 1000000);
    yes("' 250 '", " 250 ", english, 250);
    yes("tab 250 tab", "\t250\t", english, 250);
    yes("3.0", "3.0", english, 3);
    yes("3.", "3.", english, 3);
    yes("3.000000", "3.000000", english, 3);
    yes("+5", "+5", english, 5);
    yes("0000000000000000000000001", "0000000000000000000000001", english, 1);
    yes("9,999,999.000", "9,999,999.000", english, 9999999);

    no("10000001", "10000001", english);
    no("10,000,001", "10,000,001", english);
    no("10000000.5", "10000000.5", english);
    no("99999999999", "99999999999", english);
    no("0", "0", english);
    no("-0", "-0", english);
    no("0.0", "0.0", english);
    no("-5", "-5", english);
    no("-1,000", "-1,000", english);
    no("2.5", "2.5", english);
    no("3.0000001", "3.0000001", english);
    no("1234.7", "1234.7", english);
    no("0.4", "0.4", english);
    no("abc", "abc", english);
    no("empty", "", english);
    no("blanks only", "   ", english);
    no("1 000", "1 000", english);
    // These wrap round to 1 in 32-bit and in 64-bit arithmetic.
    no("4294967297", "4294967297", english);
    no("18446744073709551617", "18446744073709551617", english);
    no("2147483648", "2147483648", english);

    no("1 MB of digits", QByteArray("1").repeated(megabyte), english);
    no("1 MB of nines with a decimal part", QByteArray("9").repeated(megabyte) + ".0", english);
    no("1 MB of zeros", QByteArray("0").repeated(megabyte), english);
    yes("1 MB of zeros then 5", QByteArray("0").repeated(megabyte) + "5", english, 5);
    yes("5 then a 1 MB zero fraction", "5." + QByteArray("0").repeated(megabyte), english, 5);
    no("Arabic-Indic 123", "\u0661\u0662\u0663", english);
    no("full-width 123", "\uff11\uff12\uff13", english);
    no("1e400", "1e400", english);
    no("1e6", "1e6", english);
    no("nan", "nan", english);
    no("inf", "inf", english);
    no("0x10", "0x10", english);
    no("--5", "--5", english);
    no("1,,000", "1,,000", english);
    no("embedded NUL", QByteArray("12\0" "3", 4), english);
    no("invalid UTF-8", "\xc3\x28\xff", english);

    yes("de: 1.000.000", "1.000.000", german, 1000000);
    no("de: 1,000,000", "1,000,000", german);
    yes("de: 2,0", "2,0", german, 2);
    no("de: 2,5", "2,5", german);
    yes("odd: 1'000'000", "1'000'000", odd, 1000000);
    yes("odd: 3~0", "3~0", odd, 3);
    no("odd: 1,000", "1,000", odd);
    yes("fr: 1 000 000 (U+202F)", "1\u202f000\u202f000", french, 1000000);
}

void tst_SampleSize::accept()
{
    QFETCH(QByteArray, text);
    QFETCH(NumberSeparators, separators);
    QFETCH(bool, accepted);

    const std::optional<std::int32_t> result = acceptSampleSize(view(text), separators);
    QCOMPARE(result.has_value(), accepted);
    // An answer typed into the prompt is judged the same way as the box.
    QCOMPARE(readSampleSize(view(text), separators).size, result);
    if (accepted) {
        QFETCH(int, size);
        QCOMPARE(*result, size);
    }
}

void tst_SampleSize::writtenBackIsReadAgain_data()
{
    QTest::addColumn<NumberSeparators>("separators");

    QTest::newRow("English") << english;
    QTest::newRow("German") << german;
    QTest::newRow("odd") << odd;
    QTest::newRow("French (U+202F)") << french;
}

// Every size the box can show grouped must be accepted on the next run as
// the same size, or a second press would bring up the prompt.
void tst_SampleSize::writtenBackIsReadAgain()
{
    QFETCH(NumberSeparators, separators);

    constexpr std::int32_t largest = 10'000'000;
    for (std::int32_t n = 1; n <= largest; ++n) {
        const std::string shown = formatNumber(n, sizePattern, separators);
        const std::optional<std::int32_t> readBack = acceptSampleSize(shown, separators);
        if (readBack != n)
            QFAIL(qPrintable(QStringLiteral("%1 is shown as \"%2\" and read back as %3")
                                 .arg(n)
                                 .arg(QString::fromStdString(shown))
                                 .arg(readBack ? QString::number(*readBack) : QStringLiteral("refused"))));
    }
}

QTEST_APPLESS_MAIN(tst_SampleSize)
#include "tst_samplesize.moc"
