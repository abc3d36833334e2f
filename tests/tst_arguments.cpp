// The program takes no command-line arguments: whatever it is started with,
// it must come up as usual and wait for the user, not stop or crash. The
// real executable is started; it shows its instructions modally and waits,
// so each run ends when it has settled and is then killed.
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <optional>

namespace {

struct ProcessSample {
    char state = '?';
    qint64 cpuTicks = 0;
};

// The state letter and the user + system ticks from /proc/<pid>/stat. The
// command name in the second field may hold blanks, so fields are counted
// from its closing parenthesis.
std::optional<ProcessSample> sample(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');
    if (end < 0)
        return std::nullopt;
    const QList<QByteArray> fields = line.mid(end + 2).split(' ');
    // fields[0] is the state (field 3); utime and stime are fields 14 and 15.
    if (fields.size() < 13)
        return std::nullopt;
    return ProcessSample{fields[0].isEmpty() ? '?' : fields[0][0], fields[11].toLongLong() + fields[12].toLongLong()};
}

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
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.start(executable(), arguments);
    if (!program.waitForStarted(10000))
        return {false, QStringLiteral("could not start: ") + program.errorString(), {}};
    const qint64 pid = program.processId();

    // Settled: sleeping, with no CPU time spent, for a fifth of a second in
    // a row. Start-up reads fonts and builds two windows first, all busy.
    constexpr int settledSamples = 10;
    int quiet = 0;
    std::optional<ProcessSample> last;
    QDeadlineTimer deadline(60000);
    while (quiet < settledSamples && !deadline.hasExpired() && program.state() == QProcess::Running) {
        if (program.waitForFinished(20))
            break;
        const std::optional<ProcessSample> now = sample(pid);
        quiet = now && last && now->state == 'S' && now->cpuTicks == last->cpuTicks ? quiet + 1 : 0;
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
    // Linux takes single arguments up to 128 KiB.
    QTest::newRow("100,000 characters") << QStringList{QString(100000, QLatin1Char('x'))};
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
