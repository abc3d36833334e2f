#include "app/RunCommand.h"

#include "app/WorkingIndicator.h"
#include "core/SampleSize.h"
#include "core/SamplingEngine.h"
#include "platform/Announcement.h"
#include "platform/Program.h"
#include "platform/Services.h"

#include <QLabel>
#include <QLineEdit>
#include <QStringList>

namespace vellorin::app {
namespace {

std::string toUtf8(const QString& text) { return text.toStdString(); }
QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

} // namespace

void RunCommand::cmdRun_Click()
{
    // A press that reaches the button at one of the run's own yields is
    // ignored; the run in progress finishes normally.
    if (running_)
        return;
    running_ = true;
    struct Done {
        bool& running;
        ~Done() { running = false; }
    } done{running_};

    controls_.working->start();
    clearLabels();
    generator_.reseed(platform::timeOfDay->secondsSinceMidnight());

    const NumberSeparators separators = platform::numberLocale->separators();
    const std::optional<std::int32_t> size = obtainSampleSize(separators);
    if (!size)
        return;

    const std::optional<RunTally> tally = run(*size, generator_, [] {
        platform::eventPump->processPendingEvents();
        return !platform::programEnding();
    });
    if (!tally)
        return; // the program is ending; its windows are going

    showResults(*tally, separators);
    controls_.working->stopAndHide();
    platform::announce(controls_.lblAve->window(), resultsAnnouncement());
}

void RunCommand::clearLabels()
{
    for (QLabel* label : controls_.lblN)
        label->clear();
    controls_.lblAve->clear();
    controls_.lblMax->clear();
    controls_.lblMin->clear();
}

std::optional<std::int32_t> RunCommand::obtainSampleSize(const NumberSeparators& separators)
{
    std::optional<std::int32_t> size = acceptSampleSize(toUtf8(controls_.txtNum->text()), separators);
    while (!size) {
        const QString answer = platform::inputPrompt->ask(badNumberMessage, programTitle);
        if (platform::programEnding())
            return std::nullopt;
        const SampleSizeAnswer read = readSampleSize(toUtf8(answer), separators);
        controls_.txtNum->setText(fromUtf8(read.shown));
        size = read.size;
    }
    controls_.txtNum->setText(fromUtf8(formatNumber(*size, sizePattern, separators)));
    return size;
}

void RunCommand::showResults(const RunTally& tally, const NumberSeparators& separators)
{
    controls_.lblAve->setText(fromUtf8(formatNumber(average(tally), figurePattern, separators)));
    controls_.lblMax->setText(fromUtf8(formatNumber(tally.biggest, figurePattern, separators)));
    controls_.lblMin->setText(fromUtf8(formatNumber(tally.smallest, figurePattern, separators)));
    for (int bin = 1; bin <= 5; ++bin)
        controls_.lblN[bin - 1]->setText(fromUtf8(formatNumber(share(tally, bin), sharePattern, separators)));
}

QString RunCommand::resultsAnnouncement() const
{
    QStringList parts;
    for (const QLabel* label : {controls_.lblAve, controls_.lblMax, controls_.lblMin})
        parts << label->accessibleDescription() + QStringLiteral(": ") + label->text();
    for (const QLabel* label : controls_.lblN)
        parts << label->accessibleDescription() + QStringLiteral(": ") + label->text();
    return parts.join(QStringLiteral(", "));
}

} // namespace vellorin::app
