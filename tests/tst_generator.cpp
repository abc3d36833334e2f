// Known answers for the generator: xoshiro128+ and SplitMix64 as the program
// steps them, and the first draws of the program's generator for a given time
// of day. The expected values were printed by the algorithms' reference
// implementations, xoshiro128plus.c (David Blackman and Sebastiano Vigna) and
// splitmix64.c (Sebastiano Vigna), public domain, as published at
// prng.di.unimi.it; where a vector is also published elsewhere, the row says
// so.
#include "core/SplitMix64.h"
#include "core/UniformGenerator.h"
#include "core/Xoshiro128Plus.h"

#include <QList>
#include <QTest>

#include <cstdint>

using namespace vellorin;

class tst_Generator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void xoshiro128PlusFromState_data();
    void xoshiro128PlusFromState();
    void splitMix64FromSeed_data();
    void splitMix64FromSeed();
    void firstDrawsFromTimeOfDay_data();
    void firstDrawsFromTimeOfDay();
};

void tst_Generator::xoshiro128PlusFromState_data()
{
    QTest::addColumn<QList<quint32>>("state");
    QTest::addColumn<QList<quint32>>("outputs");

    // Also the first outputs that other ports of xoshiro128plus.c publish
    // for this state.
    QTest::newRow("0, 1, 2, 3") << QList<quint32>{0, 1, 2, 3}
                                << QList<quint32>{3u, 4098u, 8398849u, 22028806u, 2160079882u, 580154890u,
                                                  2188909838u, 706519639u};
    // Every word's top bits set: the sum wraps, and the rotation carries
    // bits round from the top.
    QTest::newRow("0xFFFFFFFF in every word")
        << QList<quint32>{0xFFFF'FFFF, 0xFFFF'FFFF, 0xFFFF'FFFF, 0xFFFF'FFFF}
        << QList<quint32>{0xFFFF'FFFE, 0xFFFF'FFFF, 0xFFFF'FFFF, 0x000F'F9FF, 0x7FDF'F000, 0xE003'FBFD,
                          0xBFD0'0EFF, 0xF7D8'063D};
}

void tst_Generator::xoshiro128PlusFromState()
{
    QFETCH(QList<quint32>, state);
    QFETCH(QList<quint32>, outputs);

    std::uint32_t s0 = state[0], s1 = state[1], s2 = state[2], s3 = state[3];
    QList<quint32> stepped;
    for (qsizetype i = 0; i < outputs.size(); ++i)
        stepped.append(xoshiro128PlusNext(s0, s1, s2, s3));
    QCOMPARE(stepped, outputs);
}

void tst_Generator::splitMix64FromSeed_data()
{
    QTest::addColumn<quint64>("seed");
    QTest::addColumn<QList<quint64>>("outputs");

    // Also the vector published for seed 1234567 (Rosetta Code,
    // "Pseudo-random numbers/Splitmix64").
    QTest::newRow("1234567") << quint64(1234567)
                             << QList<quint64>{6457827717110365317u, 3203168211198807973u, 9817491932198370423u,
                                               4593380528125082431u, 16408922859458223821u};
    // The seed of midnight, whose float bits are all 0.
    QTest::newRow("0") << quint64(0)
                       << QList<quint64>{0xE220'A839'7B1D'CDAF, 0x6E78'9E6A'A1B9'65F4, 0x06C4'5D18'8009'454F,
                                         0xF88B'B8A8'724C'81EC, 0x1B39'896A'51A8'749B};
}

void tst_Generator::splitMix64FromSeed()
{
    QFETCH(quint64, seed);
    QFETCH(QList<quint64>, outputs);

    std::uint64_t state = seed;
    QList<quint64> mixed;
    for (qsizetype i = 0; i < outputs.size(); ++i)
        mixed.append(splitMix64(state));
    QCOMPARE(mixed, outputs);
}

void tst_Generator::firstDrawsFromTimeOfDay_data()
{
    QTest::addColumn<float>("secondsSinceMidnight");
    QTest::addColumn<QList<quint32>>("ks");

    // Computed with the reference files as UniformGenerator.h describes the
    // seeding: SplitMix64 starts from the float's bits; lane by lane, two
    // outputs give xoshiro128+'s words (low half, then high half of each);
    // a draw's k is the top 24 bits of an output. One line per block of
    // eight lanes; four blocks, because xoshiro128+'s shift first reaches an
    // output at a stream's fourth step.
    QTest::newRow("00:00:00.0 (0.0f)") << 0.0f << QList<quint32>{
        0xE9966C, 0x7894FD, 0xA57413, 0xE4C946, 0x3581D3, 0xFF8463, 0x6EDB50, 0x85878C,
        0xB8F898, 0xFD7428, 0xAA0D95, 0x2A8FE2, 0x7615A1, 0x096EE4, 0xDF305E, 0xDABD87,
        0xC3536F, 0x56DD0B, 0x9A70F5, 0x21FFFD, 0x31D91B, 0xD8EA0E, 0x3C9FDC, 0x987C13,
        0x97D6A8, 0xB92E13, 0x03F501, 0xB62916, 0x720A74, 0xE03646, 0x3D7E7F, 0xFC296A,
    };
    QTest::newRow("12:34:56.5 (45296.5f)") << 45296.5f << QList<quint32>{
        0x9723FF, 0x98254C, 0xEC1072, 0x7AF089, 0x18CCC4, 0x6A9CA5, 0x289DB8, 0xAFD721,
        0xE11D1D, 0x1EF353, 0x2E5EF2, 0x913282, 0x1AE765, 0x2524B6, 0xD201A6, 0xFF03A4,
        0xA8F542, 0xDB28FB, 0x11C0DF, 0x12A213, 0x935D59, 0x88E0BD, 0x265D04, 0x6DD0B4,
        0xC5ED6C, 0x189829, 0xC0D642, 0x673FF1, 0x593A5D, 0x1AEB96, 0xA20FC0, 0x1E5099,
    };
}

void tst_Generator::firstDrawsFromTimeOfDay()
{
    QFETCH(float, secondsSinceMidnight);
    QFETCH(QList<quint32>, ks);

    UniformGenerator generator(secondsSinceMidnight);
    UniformGenerator::Block block;
    QList<quint32> drawn;
    while (drawn.size() < ks.size()) {
        generator.nextBlock(block);
        drawn.append(QList<quint32>(block.begin(), block.end()));
    }
    QCOMPARE(drawn, ks);
}

QTEST_APPLESS_MAIN(tst_Generator)

#include "tst_generator.moc"
