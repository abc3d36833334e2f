#include "tests/support/ProcessProbe.h"

#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QString>

namespace vellorin::testing {

// The state letter and the user + system ticks from /proc/<pid>/stat. The
// command name in the second field may hold blanks, so fields are counted
// from its closing parenthesis.
std::optional<ProcessSample> sampleProcess(qint64 pid)
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
    return ProcessSample{fields[0].startsWith('S'), fields[11].toLongLong() + fields[12].toLongLong()};
}

std::optional<qint64> residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    static const QRegularExpression vmRss(QStringLiteral("^VmRSS:\\s+(\\d+) kB$"),
                                          QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = vmRss.match(QString::fromLatin1(status.readAll()));
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toLongLong();
}

} // namespace vellorin::testing
