// The run button's command: obtain a valid sample size (prompting until
// there is one), draw that many numbers, and show what came out.
#pragma once

#include "app/RunControls.h"
#include "core/NumberText.h"
#include "core/SamplingEngine.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace vellorin::app {

inline const QString badNumberMessage =
    QStringLiteral("Bad number! Please choose a positive integer between 1 and 10 million.");
inline const QString programTitle = QStringLiteral("Vellorin");

class RunCommand {
public:
    explicit RunCommand(const RunControls& controls) : controls_(controls) {}

    void cmdRun_Click();
    // Blanks the eight result labels: the shares first, then the summary.
    void clearLabels();

private:
    // Empty when the program ends while the prompt is up.
    std::optional<std::int32_t> obtainSampleSize(const NumberSeparators& separators);
    void showResults(const RunTally& tally, const NumberSeparators& separators);
    // What a screen reader hears once the results are in: each result named
    // by what it is, in its label's own text ("Average: 0.50012").
    QString resultsAnnouncement() const;

    const RunControls controls_;
    UniformGenerator generator_;
    bool running_ = false;
};

} // namespace vellorin::app
