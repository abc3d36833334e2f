// Many runs in a row, as a user pressing the button again and again with
// sizes good and bad: every run must leave consistent results on screen, and
// the process must not grow from one run to the next.
#include "tests/support/MainWindowFixture.h"
#include "tests/support/ProcessProbe.h"
#include "tests/support/TestSeams.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <array>
#include <cmath>
#include <optional>

using namespace vellorin;
using namespace vellorin::testing;

#if defined(__SANITIZE_ADDRESS__)
#define VELLORIN_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELLORIN_UNDER_ASAN 1
#endif
#endif

namespace {

#ifdef VELLORIN_UNDER_ASAN
// AddressSanitizer keeps freed memory in quarantine, so the resident size
// says nothing about leaks there (LeakSanitizer covers those).
constexpr bool residentSizeMeaningful = false;
#else
constexpr bool residentSizeMeaningful = true;
#endif

constexpr int runs = 200;
constexpr qint64 allowedGrowthKiB = 1024;

struct Press {
    QString typed;       // what the user types into the box
    QStringList answers; // what the user answers the prompt with, in turn
    int size;            // the size the run draws
    QString shown;       // the box afterwards
};

// 109,999 and 110,000 straddle the first yield to the event loop; the
// refused texts go through the prompt, once or twice.
const std::array<Press, 8> presses{{
    {QStringLiteral("1"), {}, 1, QStringLiteral("1")},
    {QStringLiteral("109999"), {}, 109999, QStringLiteral("109,999")},
    {QStringLiteral("110,000"), {}, 110000, QStringLiteral("110,000")},
    {QStringLiteral("1000000"), {}, 1000000, QStringLiteral("1,000,000")},
    {QStringLiteral("10000000"), {}, 10000000, QStringLiteral("10,000,000")},
    {QStringLiteral("abc"), {QStringLiteral(" 250 ")}, 250, QStringLiteral("250")},
    {QStringLiteral("0"), {QStringLiteral("2.5"), QStringLiteral("1,000,000")}, 1000000, QStringLiteral("1,000,000")},
    {QStringLiteral("2.5"), {QStringLiteral("109999")}, 109999, QStringLiteral("109,999")},
}};

// "0.49871": a figure as the results table writes it.
std::optional<double> readFigure(const QString& text)
{
    static const QRegularExpression figure(QStringLiteral("^\\d\\.\\d{5}$"));
    if (!figure.match(text).hasMatch())
        return std::nullopt;
    return text.toDouble();
}

// "%20.0312" or "%100.": a share in per cent, at most four decimals.
std::optional<double> readShare(const QString& text)
{
    static const QRegularExpression share(QStringLiteral("^%(\\d{1,3})\\.(\\d{0,4})$"));
    const QRegularExpressionMatch match = share.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return (match.captured(1) + QLatin1Char('.') + match.captured(2) + QLatin1Char('0')).toDouble();
}

} // namespace

class tst_Stress : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void repeatedRunsStayConsistentAndSteady();

private:
    void press(ui::frmMain& window, const Press& press, int run);
    void checkResults(ui::frmMain& window, int size, int run);
};

void tst_Stress::init()
{
    openMainWindow();
}

void tst_Stress::cleanup()
{
    discardWindows();
}

void tst_Stress::press(ui::frmMain& window, const Press& press, int run)
{
    // A different time of day each run gives each run its own draws.
    FixedClock clock(float(1000 + 97 * run) + 0.25f);
    ScopedSeam<platform::Clock> clockSeam(platform::timeOfDay, clock);
    ScriptedPrompt prompt(press.answers);
    ScopedSeam<platform::InputPrompt> promptSeam(platform::inputPrompt, prompt);
    CountingPump pump;
    ScopedSeam<platform::EventPump> pumpSeam(platform::eventPump, pump);

    QTest::keyClick(window.txtNum, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(window.txtNum, Qt::Key_Delete);
    QTest::keyClicks(window.txtNum, press.typed);
    QCOMPARE(window.txtNum->text(), press.typed);

    QTest::mouseClick(window.cmdRun, Qt::LeftButton);

    const QByteArray where = QByteArray("run ") + QByteArray::number(run) + " typed \"" + press.typed.toUtf8() + '"';
    QVERIFY2(!prompt.ranDry, where.constData());
    QVERIFY2(prompt.messages.size() == press.answers.size(), where.constData());
    QVERIFY2(window.txtNum->text() == press.shown, (where + ": box shows " + window.txtNum->text().toUtf8()).constData());
    QVERIFY2(pump.yields == press.size / 110000, (where + ": yields " + QByteArray::number(pump.yields)).constData());
    QVERIFY2(!window.lblWorking->isVisible(), where.constData());
    QVERIFY2(!window.tmrWorking->isActive(), where.constData());
    checkResults(window, press.size, run);
}

void tst_Stress::checkResults(ui::frmMain& window, int size, int run)
{
    const QByteArray where = QByteArray("run ") + QByteArray::number(run) + " of size " + QByteArray::number(size);
    const std::optional<double> average = readFigure(window.lblAve->text());
    const std::optional<double> biggest = readFigure(window.lblMax->text());
    const std::optional<double> smallest = readFigure(window.lblMin->text());
    QVERIFY2(average && biggest && smallest,
             (where + ": figures " + window.lblAve->text().toUtf8() + ' ' + window.lblMax->text().toUtf8() + ' '
              + window.lblMin->text().toUtf8())
                 .constData());
    QVERIFY2(*average <= 1.0 && *biggest <= 1.0 && *smallest <= 1.0, where.constData());
    QVERIFY2(*biggest >= *average && *average >= *smallest, where.constData());
    if (size == 1)
        QVERIFY2(*average == *biggest && *biggest == *smallest, (where + ": one draw is its own average").constData());

    double total = 0.0;
    qint64 recounted = 0;
    for (int bin = 1; bin <= 5; ++bin) {
        const QString text = window.lblN(bin)->text();
        const std::optional<double> share = readShare(text);
        QVERIFY2(share, (where + ": share " + text.toUtf8()).constData());
        total += *share;
        // Four decimals of a per cent pin the count down exactly while the
        // size is below a million: share * size is within size * 5e-7 of it.
        recounted += std::llround(*share / 100.0 * size);
        if (size == 1)
            QVERIFY2(text == QLatin1String("%100.") || text == QLatin1String("%0."),
                     (where + ": share " + text.toUtf8()).constData());
    }
    // Each share is rounded to half a unit in its fourth decimal.
    QVERIFY2(std::abs(total - 100.0) <= 5 * 0.00005 + 1e-9,
             (where + ": shares add to " + QByteArray::number(total, 'f', 6)).constData());
    if (size < 1000000)
        QVERIFY2(recounted == size,
                 (where + ": shares count " + QByteArray::number(recounted) + " draws").constData());
}

void tst_Stress::repeatedRunsStayConsistentAndSteady()
{
    FixedSeparators english(".", ",");
    ScopedSeam<platform::NumberLocale> separatorsSeam(platform::numberLocale, english);
    ui::frmMain& window = *forms::frmMain;

    QElapsedTimer elapsed;
    elapsed.start();
    std::optional<qint64> afterFirst;
    for (int run = 1; run <= runs; ++run) {
        press(window, presses[(run - 1) % presses.size()], run);
        if (QTest::currentTestFailed())
            return;
        if (run == 1)
            afterFirst = residentKiB();
    }
    const std::optional<qint64> afterLast = residentKiB();
    QVERIFY(afterFirst && afterLast);

    qInfo("%d runs in %lld ms", runs, static_cast<long long>(elapsed.elapsed()));
    qInfo("resident after run 1: %lld KiB, after run %d: %lld KiB, growth %lld KiB", static_cast<long long>(*afterFirst),
          runs, static_cast<long long>(*afterLast), static_cast<long long>(*afterLast - *afterFirst));
    if (!residentSizeMeaningful) {
        qInfo("resident size not checked: built with AddressSanitizer");
        return;
    }
    QVERIFY2(*afterLast - *afterFirst <= allowedGrowthKiB,
             (QByteArray::number(*afterLast - *afterFirst) + " KiB more after the last run than after the first")
                 .constData());
}

QTEST_MAIN(tst_Stress)
#include "tst_stress.moc"
