// The program takes no command-line arguments: whatever it is started with,
// it must come up as usual and wait for the user, not stop or crash. The
// real executable is started; it shows its instructions modally and waits,
// so each run ends when it has settled and is then killed.
#include "tests/support/ProcessProbe.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <optional>

namespace {

using vellorin::testing::ProcessSample;
using vellorin::testing::sampleProcess;

QString executable()
{
    return QStringLiteral(VELLORIN_EXECUTABLE);
}

} // namespace

class tst_Arguments : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void startsAndWaitsWhateverTheArguments_data();
    void startsAndWaitsWhateverTheArguments();

private:
    struct Outcome {
        bool waiting = false; // up and idle, waiting for the user
        QString why;          // what happened instead
        QByteArray output;    // what it wrote to stderr
    };
    // Starts the program, waits until it sits idle in its event loop, then
    // kills it.
    Outcome startAndSettle(const QStringList& arguments);

    QByteArray plainStartOutput_;
};

tst_Arguments::Outcome tst_Arguments::startAndSettle(const QStringList& arguments)
{
    QProcess program;
    // Where the build names a platform (offscreen on Linux), the program is
    // shown there; elsewhere on the system's own window system.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (const QString platform = QStringLiteral(VELLORIN_PROGRAM_PLATFORM); platform.isEmpty())
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    else
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    program.setProcessEnvironment(environment);
    program.start(executable(), arguments);
    if (!program.waitForStarted(10000))
        return {false, QStringLiteral("could not start: ") + program.errorString(), {}};
    const qint64 pid = program.processId();

    // Settled: waiting, with no CPU time spent, for a fifth of a second in
    // a row. Start-up reads fonts and builds two windows first, all busy.
    constexpr int settledSamples = 10;
    int quiet = 0;
    std::optional<ProcessSample> last;
    QDeadlineTimer deadline(60000);
    while (quiet < settledSamples && !deadline.hasExpired() && program.state() == QProcess::Running) {
        if (program.waitForFinished(20))
            break;
        const std::optional<ProcessSample> now = sampleProcess(pid);
        quiet = now && last && now->waiting && now->cpuTime == last->cpuTime ? quiet + 1 : 0;
        last = now;
    }
    const bool running = program.state() == QProcess::Running;
    if (running) {
        program.kill();
        program.waitForFinished(10000);
    }
    Outcome outcome{running && quiet >= settledSamples, {}, program.readAllStandardError()};
    if (!running)
        outcome.why = QStringLiteral("ended by itself, %1 %2: %3")
                          .arg(program.exitStatus() == QProcess::CrashExit ? "crashed, signal" : "exited, status")
                          .arg(program.exitCode())
                          .arg(QString::fromLocal8Bit(outcome.output.right(2000)));
    else if (!outcome.waiting)
        outcome.why = QStringLiteral("still busy after a minute; start-up never settled");
    return outcome;
}

void tst_Arguments::initTestCase()
{
    QVERIFY2(QFileInfo(executable()).isExecutable(), qPrintable(executable()));
    const Outcome plainStart = startAndSettle({});
    QVERIFY2(plainStart.waiting, qPrintable(plainStart.why));
    plainStartOutput_ = plainStart.output;
    qInfo("without arguments the program writes %lld bytes to stderr", static_cast<long long>(plainStartOutput_.size()));
}

void tst_Arguments::startsAndWaitsWhateverTheArguments_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("--foo bar -x \"\"") << QStringList{QStringLiteral("--foo"), QStringLiteral("bar"),
                                                      QStringLiteral("-x"), QString()};
    // As long as the system passes one: Linux takes up to 128 KiB, Windows a
    // whole command line of up to 32,767 characters.
    QTest::newRow("the longest argument")
        << QStringList{QString(VELLORIN_LONGEST_ARGUMENT, QLatin1Char('x'))};
    QStringList many;
    for (int i = 0; i < 2000; ++i)
        many << QStringLiteral("-%1").arg(i);
    QTest::newRow("2,000 arguments") << many;
    QTest::newRow("--help -h -v --version") << QStringList{QStringLiteral("--help"), QStringLiteral("-h"),
                                                           QStringLiteral("-v"), QStringLiteral("--version")};
    QTest::newRow("a file name, a dash, --") << QStringList{QStringLiteral("/etc/passwd"), QStringLiteral("-"),
                                                            QStringLiteral("--")};
    QTest::newRow("non-ASCII and a percent sign")
        << QStringList{QStringLiteral("gr\u00f6\u00dfe=\u20ac100"), QStringLiteral("%s%n%d")};
    // Options the toolkit itself would take.
    QTest::newRow("-platform nosuch") << QStringList{QStringLiteral("-platform"), QStringLiteral("nosuch")};
    QTest::newRow("-stylesheet /nonexistent") << QStringList{QStringLiteral("-stylesheet"), QStringLiteral("/nonexistent")};
}

void tst_Arguments::startsAndWaitsWhateverTheArguments()
{
    QFETCH(QStringList, arguments);
    const Outcome outcome = startAndSettle(arguments);
    QVERIFY2(outcome.waiting, qPrintable(outcome.why));
    // Nothing about the arguments: the same messages as a plain start.
    QCOMPARE(outcome.output, plainStartOutput_);
}

QTEST_GUILESS_MAIN(tst_Arguments)
#include "tst_arguments.moc"
