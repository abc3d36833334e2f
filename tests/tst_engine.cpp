// Tests of the sampling engine and its generator. Expected figures come from
// the draw rules applied here one draw at a time in plain scalar code (draw =
// k * 2^-24; tenth = floor(r * 10) + 1 with the product in float; bin =
// tenth / 2 rounded up; a float sum in draw order), or from the reasoning
// written next to a row, never from the engine's own shortcuts.
#include "core/SamplingEngine.h"
#include "core/SamplingLoop.h"
#include "core/UniformGenerator.h"

#include <QList>
#include <QString>
#include <QTest>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <optional>
#include <vector>

using namespace vellorin;

namespace {

constexpr std::uint32_t everyK = 1u << 24;
constexpr std::uint32_t largestK = everyK - 1;

float ruleDraw(std::uint32_t k)
{
    return std::ldexp(static_cast<float>(k), -24);
}

int ruleBin(float r)
{
    const float product = r * 10.0f;
    const int tenth = static_cast<int>(std::floor(product)) + 1;
    return -static_cast<int>(std::floor(-tenth / 2.0));
}

// Exact text of a float, so that comparisons are exact (QCOMPARE on floats
// is fuzzy) and a failure shows both values to the last bit.
QString exact(float value)
{
    return QString::asprintf("%a", static_cast<double>(value));
}

// Hands out the given k values in order, then the largest k and 0 in turn:
// draws the engine must not use, and that would show in biggest, smallest
// and bins 1 and 5 if it did.
class ReplayGenerator {
public:
    static constexpr int lanes = 8;
    using Block = std::array<std::uint32_t, lanes>;

    explicit ReplayGenerator(std::vector<std::uint32_t> ks) : ks_(std::move(ks)) {}

    void nextBlock(Block& k)
    {
        for (std::uint32_t& value : k) {
            value = next_ < ks_.size() ? ks_[next_] : (next_ % 2 ? 0u : largestK);
            ++next_;
        }
    }

private:
    std::vector<std::uint32_t> ks_;
    std::size_t next_ = 0;
};

// The program's generator, counting the draws it hands out.
class CountingGenerator {
public:
    static constexpr int lanes = UniformGenerator::lanes;
    using Block = UniformGenerator::Block;

    explicit CountingGenerator(float seed) : generator_(seed) {}

    void nextBlock(Block& k)
    {
        generator_.nextBlock(k);
        handedOut += lanes;
    }

    std::int64_t handedOut = 0;

private:
    UniformGenerator generator_;
};

// The first `count` k values of a generator seeded with `seed`, in the
// engine's draw order: block by block, lane by lane.
std::vector<std::uint32_t> firstKs(float seed, std::int32_t count)
{
    UniformGenerator generator(seed);
    UniformGenerator::Block block;
    std::vector<std::uint32_t> ks;
    ks.reserve(std::size_t(count) + UniformGenerator::lanes);
    while (ks.size() < std::size_t(count)) {
        generator.nextBlock(block);
        ks.insert(ks.end(), block.begin(), block.end());
    }
    ks.resize(std::size_t(count));
    return ks;
}

struct Expected {
    float sum = 0.0f;
    float biggest = 0.0f;
    float smallest = 1.0f;
    std::array<std::int32_t, 5> bins{};
};

Expected byTheRules(const std::vector<std::uint32_t>& ks)
{
    Expected expected;
    for (const std::uint32_t k : ks) {
        const float r = ruleDraw(k);
        expected.sum += r;
        if (r > expected.biggest)
            expected.biggest = r;
        if (r < expected.smallest)
            expected.smallest = r;
        ++expected.bins[ruleBin(r) - 1];
    }
    return expected;
}

RunTally runAll(std::int32_t count, auto& generator)
{
    const std::optional<RunTally> tally = run(count, generator, [] { return true; });
    if (!tally)
        qFatal("a run whose yield always answers true came back empty");
    return *tally;
}

QList<int> listOf(const std::array<std::int32_t, 5>& bins)
{
    return QList<int>(bins.begin(), bins.end());
}

// How many of the 2^24 possible draws each bin holds, by the rule.
const std::array<std::int32_t, 5>& drawsPerBin()
{
    static const std::array<std::int32_t, 5> perBin = [] {
        std::array<std::int32_t, 5> counts{};
        for (std::uint32_t k = 0; k < everyK; ++k)
            ++counts[ruleBin(ruleDraw(k)) - 1];
        return counts;
    }();
    return perBin;
}

// The stretches of consecutive k that the rule puts in one bin, in order.
struct KStretch {
    std::uint32_t first = 0;
    std::uint32_t end = 0;
    int bin = 0;
};

std::vector<KStretch> ruleStretches()
{
    std::vector<KStretch> stretches;
    for (std::uint32_t k = 0; k < everyK; ++k) {
        const int bin = ruleBin(ruleDraw(k));
        if (stretches.empty() || stretches.back().bin != bin)
            stretches.push_back({k, k + 1, bin});
        else
            stretches.back().end = k + 1;
    }
    return stretches;
}

} // namespace

class tst_Engine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void countOne_data();
    void countOne();
    void countOneFromTheGenerator_data();
    void countOneFromTheGenerator();
    void yields_data();
    void yields();
    void falseYieldAbandonsTheRun_data();
    void falseYieldAbandonsTheRun();
    void binsAddUpToCount_data();
    void binsAddUpToCount();
    void everyKInItsBin_data();
    void everyKInItsBin();
    void edgeDraws_data();
    void edgeDraws();
    void pointTwoIsNotADraw();
    void replayChosenDraws_data();
    void replayChosenDraws();
    void replayEveryK_data();
    void replayEveryK();
    void sumIsSinglePrecisionInDrawOrder();
    void averageAndShares();
    void binsAreUniform_data();
    void binsAreUniform();
    void sameSeedSameTally_data();
    void sameSeedSameTally();
    void nearbySeedsUnrelated_data();
    void nearbySeedsUnrelated();
    void everyBitOfKIsFair_data();
    void everyBitOfKIsFair();
};

void tst_Engine::countOne_data()
{
    QTest::addColumn<quint32>("k");
    QTest::addColumn<int>("bin");

    QTest::newRow("k 0, the draw 0") << quint32(0) << 1;
    QTest::newRow("k 1, the smallest draw above 0") << quint32(1) << 1;
    QTest::newRow("k 2^23, the draw 0.5") << quint32(1u << 23) << 3;
    QTest::newRow("k 2^24 - 1, the largest draw") << quint32(largestK) << 5;
}

void tst_Engine::countOne()
{
    QFETCH(quint32, k);
    QFETCH(int, bin);

    ReplayGenerator generator({k});
    const RunTally tally = runAll(1, generator);

    const float draw = ruleDraw(k);
    QCOMPARE(tally.count, 1);
    QCOMPARE(average(tally), static_cast<double>(draw));
    // For the draw 0, biggest keeps its starting value 0, which is the draw.
    QCOMPARE(exact(tally.biggest), exact(draw));
    QCOMPARE(exact(tally.smallest), exact(draw));
    std::array<std::int32_t, 5> bins{};
    bins[bin - 1] = 1;
    QCOMPARE(listOf(tally.bins), listOf(bins));
}

void tst_Engine::countOneFromTheGenerator_data()
{
    QTest::addColumn<float>("seed");

    QTest::newRow("midnight") << 0.0f;
    QTest::newRow("12:34:56.5") << 45296.5f;
    QTest::newRow("23:59:59.99") << 86399.99f;
}

void tst_Engine::countOneFromTheGenerator()
{
    QFETCH(float, seed);

    UniformGenerator generator(seed);
    const RunTally tally = runAll(1, generator);

    const float draw = ruleDraw(firstKs(seed, 1).front());
    QCOMPARE(average(tally), static_cast<double>(draw));
    QCOMPARE(exact(tally.biggest), exact(draw));
    QCOMPARE(exact(tally.smallest), exact(draw));
    QCOMPARE(tally.bins[ruleBin(draw) - 1], 1);
    QCOMPARE(std::accumulate(tally.bins.begin(), tally.bins.end(), 0), 1);
}

void tst_Engine::yields_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("yields");

    QTest::newRow("1 draw -> no yield") << 1 << 0;
    QTest::newRow("109999 draws -> no yield") << 109'999 << 0;
    QTest::newRow("110000 draws -> 1 yield") << 110'000 << 1;
    QTest::newRow("110001 draws -> 1 yield") << 110'001 << 1;
    QTest::newRow("219999 draws -> 1 yield") << 219'999 << 1;
    QTest::newRow("220000 draws -> 2 yields") << 220'000 << 2;
    QTest::newRow("10000000 draws -> 90 yields") << 10'000'000 << 90;
}

void tst_Engine::yields()
{
    QFETCH(int, count);
    QFETCH(int, yields);

    CountingGenerator generator(45296.5f);
    QList<qint64> drawnAtYield;
    const std::optional<RunTally> tally = run(count, generator, [&] {
        drawnAtYield.push_back(generator.handedOut);
        return true;
    });

    QVERIFY(tally.has_value());
    QCOMPARE(tally->count, count);
    // Yield i comes after draw i * 110000 and before the next one; the
    // generator hands out whole blocks of 8, and 110000 is a multiple of 8.
    QList<qint64> expected;
    for (int i = 1; i <= yields; ++i)
        expected.append(qint64(i) * 110'000);
    QCOMPARE(drawnAtYield, expected);
    // Nothing is drawn beyond the last block the count needs.
    QCOMPARE(generator.handedOut, (std::int64_t(count) + 7) / 8 * 8);
}

void tst_Engine::falseYieldAbandonsTheRun_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("falseAt");

    QTest::newRow("110000 draws, false at the only yield, after the last draw") << 110'000 << 1;
    QTest::newRow("10000000 draws, false at yield 1") << 10'000'000 << 1;
    QTest::newRow("10000000 draws, false at yield 45") << 10'000'000 << 45;
    QTest::newRow("10000000 draws, false at yield 90, after the last draw") << 10'000'000 << 90;
}

void tst_Engine::falseYieldAbandonsTheRun()
{
    QFETCH(int, count);
    QFETCH(int, falseAt);

    CountingGenerator generator(0.0f);
    int yields = 0;
    const std::optional<RunTally> tally = run(count, generator, [&] { return ++yields != falseAt; });

    QVERIFY(!tally.has_value());
    QCOMPARE(yields, falseAt);
    QCOMPARE(generator.handedOut, std::int64_t(falseAt) * 110'000);
}

void tst_Engine::binsAddUpToCount_data()
{
    QTest::addColumn<int>("count");

    for (const int count : {1, 2, 7, 8, 9, 15, 16, 17, 109'999, 110'000, 110'001, 1'234'567, 10'000'000})
        QTest::addRow("%d draws", count) << count;
}

void tst_Engine::binsAddUpToCount()
{
    QFETCH(int, count);

    UniformGenerator generator(30000.25f);
    const RunTally tally = runAll(count, generator);

    QCOMPARE(tally.count, count);
    for (const std::int32_t inBin : tally.bins)
        QVERIFY(inBin >= 0);
    QCOMPARE(std::accumulate(tally.bins.begin(), tally.bins.end(), 0), count);
}

void tst_Engine::everyKInItsBin_data()
{
    QTest::addColumn<quint32>("first");
    QTest::addColumn<quint32>("end");
    QTest::addColumn<int>("bin");

    // Every k goes through a run with the others of its stretch, so a k
    // counted in a neighbouring bin, one at a bin's edge included, shows in
    // the stretch's counts.
    for (const KStretch& stretch : ruleStretches()) {
        QTest::addRow("k %u to %u -> bin %d", stretch.first, stretch.end - 1, stretch.bin)
            << quint32(stretch.first) << quint32(stretch.end) << stretch.bin;
    }
}

void tst_Engine::everyKInItsBin()
{
    QFETCH(quint32, first);
    QFETCH(quint32, end);
    QFETCH(int, bin);

    std::vector<std::uint32_t> ks(end - first);
    std::iota(ks.begin(), ks.end(), first);
    const auto count = static_cast<std::int32_t>(ks.size());
    ReplayGenerator generator(std::move(ks));
    const RunTally tally = runAll(count, generator);

    std::array<std::int32_t, 5> bins{};
    bins[bin - 1] = count;
    QCOMPARE(listOf(tally.bins), listOf(bins));
}

void tst_Engine::edgeDraws_data()
{
    QTest::addColumn<quint32>("k");
    QTest::addColumn<int>("bin");

    // Near each boundary 0.2 * b the product r * 10 lands on (or rounds to)
    // a float next to the whole number 2 * b; in units of 2^-24:
    QTest::newRow("k 0, the draw 0 -> bin 1") << quint32(0) << 1;
    // 10k = 2^25 - 2: r * 10 = 2 - 2^-23, a float; tenth 2.
    QTest::newRow("k 3355443, the draw nearest 0.2f, below it -> bin 1") << quint32(3'355'443) << 1;
    // 10k = 2^25 + 8: r * 10 = 2 + 2^-21, a float; tenth 3.
    QTest::newRow("k 3355444, the first draw above 0.2f -> bin 2") << quint32(3'355'444) << 2;
    // 10k = 2^26 - 4: r * 10 = 4 - 2^-22, a float; tenth 4.
    QTest::newRow("k 6710886, below 0.4 -> bin 2") << quint32(6'710'886) << 2;
    // 10k = 2^26 + 6: 4 + 6 * 2^-24 rounds to 4 + 2^-21 (the spacing above 4); tenth 5.
    QTest::newRow("k 6710887, above 0.4 -> bin 3") << quint32(6'710'887) << 3;
    // 10k = 6 * 2^24 - 6: 6 - 6 * 2^-24 rounds to 6 - 2^-21; tenth 6.
    QTest::newRow("k 10066329, below 0.6 -> bin 3") << quint32(10'066'329) << 3;
    // 10k = 6 * 2^24 + 4: 6 + 2^-22 is half a spacing, a tie that rounds to the even 6; tenth 7.
    QTest::newRow("k 10066330, above 0.6 -> bin 4") << quint32(10'066'330) << 4;
    // 10k = 2^27 - 8: r * 10 = 8 - 2^-21, a float; tenth 8.
    QTest::newRow("k 13421772, below 0.8 -> bin 4") << quint32(13'421'772) << 4;
    // 10k = 2^27 + 2: 8 + 2^-23 rounds to 8 (the spacing above 8 is 2^-20); tenth 9.
    QTest::newRow("k 13421773, above 0.8 -> bin 5") << quint32(13'421'773) << 5;
    // 10k = 10 * 2^24 - 10: 10 - 10 * 2^-24 rounds to 10 - 2^-20; tenth 10.
    QTest::newRow("k 16777215, the largest draw below 1 -> bin 5") << quint32(largestK) << 5;
}

void tst_Engine::edgeDraws()
{
    QFETCH(quint32, k);
    QFETCH(int, bin);

    QCOMPARE(ruleBin(ruleDraw(k)), bin);
    ReplayGenerator generator({k});
    QCOMPARE(runAll(1, generator).bins[bin - 1], 1);
}

void tst_Engine::pointTwoIsNotADraw()
{
    // 0.2f is 13421773 * 2^-26: in units of 2^-24 that is 3355443.25, so no
    // k gives it; the draws on either side are k 3355443 and 3355444.
    const float inUnits = 0.2f * 0x1p24f;
    QCOMPARE(exact(inUnits), exact(3'355'443.25f));
    QVERIFY(ruleDraw(3'355'443) < 0.2f);
    QVERIFY(ruleDraw(3'355'444) > 0.2f);
    // The rule itself puts 0.2f in bin 2: 0.2f * 10 rounds to exactly 2.
    QCOMPARE(ruleBin(0.2f), 2);
}

void tst_Engine::replayChosenDraws_data()
{
    QTest::addColumn<QList<quint32>>("ks");
    QTest::addColumn<quint32>("biggestK");
    QTest::addColumn<quint32>("smallestK");
    QTest::addColumn<QList<int>>("bins");

    // Each sum of k stays below 2^24, so the float sum of the draws is exact:
    // (sum of k) * 2^-24.
    QTest::newRow("5 draws, a block cut short")
        << QList<quint32>{0x50'0000, 1, 0x33'3334, 0x1234, 0x66'6667} << quint32(0x66'6667) << quint32(1)
        << QList<int>{2, 2, 1, 0, 0};
    QTest::newRow("8 zeros: biggest stays 0")
        << QList<quint32>(8, 0u) << quint32(0) << quint32(0) << QList<int>{8, 0, 0, 0, 0};
    QTest::newRow("13 draws across two blocks")
        << QList<quint32>{10, 20, 30, 40, 50, 60, 70, 80, 0x10'0000, 0x20'0000, 0x38'0000, 0x08'0000, 0x70'0000}
        << quint32(0x70'0000) << quint32(10) << QList<int>{11, 1, 1, 0, 0};
    QTest::newRow("2 draws, bins 5 and 1")
        << QList<quint32>{0xCC'CCCD, 0x2A'AAAA} << quint32(0xCC'CCCD) << quint32(0x2A'AAAA) << QList<int>{1, 0, 0, 0, 1};
    QTest::newRow("2 draws, bins 4 and 2")
        << QList<quint32>{0x9A'0000, 0x55'5555} << quint32(0x9A'0000) << quint32(0x55'5555) << QList<int>{0, 1, 0, 1, 0};
}

void tst_Engine::replayChosenDraws()
{
    QFETCH(QList<quint32>, ks);
    QFETCH(quint32, biggestK);
    QFETCH(quint32, smallestK);
    QFETCH(QList<int>, bins);

    ReplayGenerator generator(std::vector<std::uint32_t>(ks.begin(), ks.end()));
    const RunTally tally = runAll(static_cast<std::int32_t>(ks.size()), generator);

    const std::uint64_t kSum = std::accumulate(ks.begin(), ks.end(), std::uint64_t(0));
    QVERIFY(kSum < everyK);
    QCOMPARE(exact(tally.sum), exact(ruleDraw(static_cast<std::uint32_t>(kSum))));
    QCOMPARE(exact(tally.biggest), exact(ruleDraw(biggestK)));
    QCOMPARE(exact(tally.smallest), exact(ruleDraw(smallestK)));
    QCOMPARE(listOf(tally.bins), bins);
}

void tst_Engine::replayEveryK_data()
{
    QTest::addColumn<bool>("descending");

    QTest::newRow("every k, ascending") << false;
    QTest::newRow("every k, descending") << true;
}

void tst_Engine::replayEveryK()
{
    QFETCH(bool, descending);

    std::vector<std::uint32_t> ks(everyK);
    std::iota(ks.begin(), ks.end(), 0u);
    if (descending)
        std::reverse(ks.begin(), ks.end());
    const Expected expected = byTheRules(ks);

    ReplayGenerator generator(ks);
    const RunTally tally = runAll(static_cast<std::int32_t>(everyK), generator);

    QCOMPARE(exact(tally.sum), exact(expected.sum));
    QCOMPARE(exact(tally.biggest), exact(ruleDraw(largestK)));
    QCOMPARE(exact(tally.smallest), exact(0.0f));
    QCOMPARE(listOf(tally.bins), listOf(drawsPerBin()));
}

void tst_Engine::sumIsSinglePrecisionInDrawOrder()
{
    constexpr std::int32_t count = 10'000'000;
    constexpr float seed = 45296.5f;
    UniformGenerator generator(seed);
    const RunTally tally = runAll(count, generator);

    float floatSum = 0.0f;
    double doubleSum = 0.0;
    for (const std::uint32_t k : firstKs(seed, count)) {
        floatSum += ruleDraw(k);
        doubleSum += ruleDraw(k);
    }
    // Above 2^22 a float sum moves in steps of 0.5, so by 10,000,000 draws it
    // has drifted well away from the double one.
    QVERIFY2(std::abs(doubleSum - floatSum) > 1.0,
             qPrintable(QStringLiteral("float %1, double %2").arg(floatSum).arg(doubleSum, 0, 'f', 3)));
    QCOMPARE(exact(tally.sum), exact(floatSum));
    QCOMPARE(average(tally), static_cast<double>(floatSum) / count);
}

void tst_Engine::averageAndShares()
{
    // Draws 0, 0, 0, 0.25, 0.5, 0.5, 0.75, 0.9375: every partial sum is a
    // float, so the sum is 2.9375 and the average 0.3671875 exactly.
    ReplayGenerator generator({0, 0, 0, 0x40'0000, 0x80'0000, 0x80'0000, 0xC0'0000, 0xF0'0000});
    const RunTally tally = runAll(8, generator);

    QCOMPARE(exact(tally.sum), exact(2.9375f));
    QCOMPARE(average(tally), 0.3671875);
    QCOMPARE(share(tally, 1), 3.0 / 8);
    QCOMPARE(share(tally, 2), 1.0 / 8);
    QCOMPARE(share(tally, 3), 2.0 / 8);
    QCOMPARE(share(tally, 4), 1.0 / 8);
    QCOMPARE(share(tally, 5), 1.0 / 8);
    QCOMPARE(share(tally, 0), 0.0);
    QCOMPARE(share(tally, 6), 0.0);
}

void tst_Engine::binsAreUniform_data()
{
    QTest::addColumn<float>("seed");

    QTest::newRow("midnight") << 0.0f;
    QTest::newRow("00:00:01") << 1.0f;
    QTest::newRow("08:15:30.25") << 29730.25f;
    QTest::newRow("12:34:56.5") << 45296.5f;
    QTest::newRow("23:59:59.99") << 86399.99f;
}

void tst_Engine::binsAreUniform()
{
    QFETCH(float, seed);

    constexpr std::int32_t count = 1'000'000;
    UniformGenerator generator(seed);
    const RunTally tally = runAll(count, generator);

    // Pearson's chi-square against the bins' exact shares of the 2^24
    // draws; 18.47 is the 0.001 point for 4 degrees of freedom.
    double chiSquare = 0.0;
    for (int b = 0; b < 5; ++b) {
        const double expected = double(count) * drawsPerBin()[b] / everyK;
        const double off = tally.bins[b] - expected;
        chiSquare += off * off / expected;
    }
    QVERIFY2(chiSquare < 18.47, qPrintable(QStringLiteral("chi-square %1").arg(chiSquare)));
}

void tst_Engine::sameSeedSameTally_data()
{
    QTest::addColumn<float>("seed");

    QTest::newRow("midnight") << 0.0f;
    QTest::newRow("12:34:56.5") << 45296.5f;
}

void tst_Engine::sameSeedSameTally()
{
    QFETCH(float, seed);

    constexpr std::int32_t count = 1'000'003;
    UniformGenerator first(seed);
    const RunTally tally = runAll(count, first);
    // A used generator reseeded with the same time starts over.
    UniformGenerator second(seed + 1000.0f);
    runAll(777, second);
    second.reseed(seed);
    const RunTally again = runAll(count, second);

    QCOMPARE(exact(again.sum), exact(tally.sum));
    QCOMPARE(exact(again.biggest), exact(tally.biggest));
    QCOMPARE(exact(again.smallest), exact(tally.smallest));
    QCOMPARE(listOf(again.bins), listOf(tally.bins));
}

void tst_Engine::nearbySeedsUnrelated_data()
{
    QTest::addColumn<float>("seed");
    QTest::addColumn<float>("later");

    QTest::newRow("00:00:00.00 and .01") << 0.0f << 0.01f;
    QTest::newRow("12:34:56.50 and .51") << 45296.50f << 45296.51f;
    QTest::newRow("23:59:59.98 and .99") << 86399.98f << 86399.99f;
}

void tst_Engine::nearbySeedsUnrelated()
{
    QFETCH(float, seed);
    QFETCH(float, later);

    QVERIFY(seed != later);
    constexpr std::int32_t count = 100'000;
    const std::vector<std::uint32_t> a = firstKs(seed, count);
    const std::vector<std::uint32_t> b = firstKs(later, count);
    // Two unrelated streams of 24-bit values agree at a given place with
    // chance 2^-24: expect none in 100,000 places (the chance of even one is
    // 0.6%, and the seeds are fixed).
    int samePlace = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        samePlace += a[i] == b[i];
    QCOMPARE(samePlace, 0);

    UniformGenerator first(seed), second(later);
    QVERIFY(exact(runAll(count, first).sum) != exact(runAll(count, second).sum));
}

void tst_Engine::everyBitOfKIsFair_data()
{
    QTest::addColumn<float>("seed");

    QTest::newRow("midnight") << 0.0f;
    QTest::newRow("12:34:56.5") << 45296.5f;
}

void tst_Engine::everyBitOfKIsFair()
{
    QFETCH(float, seed);

    constexpr int count = 1'000'000;
    std::array<int, 32> ones{};
    for (const std::uint32_t k : firstKs(seed, count))
        for (int bit = 0; bit < 32; ++bit)
            ones[bit] += (k >> bit) & 1;

    // k has 24 bits, and each is set in about half the draws: the count of
    // ones has mean 500,000 and standard deviation 500, so 5,000 off is ten
    // deviations.
    for (int bit = 24; bit < 32; ++bit)
        QCOMPARE(ones[bit], 0);
    for (int bit = 0; bit < 24; ++bit)
        QVERIFY2(std::abs(ones[bit] - count / 2) < 5'000, qPrintable(QStringLiteral("bit %1 set %2 times").arg(bit).arg(ones[bit])));
}

QTEST_APPLESS_MAIN(tst_Engine)

#include "tst_engine.moc"
