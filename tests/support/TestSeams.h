// Stand-ins for the runtime services, so widget tests can answer the
// sample-size prompt, fix the seed and the separators, and watch yields.
#pragma once

#include "platform/Services.h"

#include <QStringList>

#include <functional>

namespace vellorin::testing {

// Puts a stand-in in place of a service for one scope.
template <class Interface>
class ScopedSeam {
public:
    ScopedSeam(platform::Seam<Interface>& seam, Interface& replacement) : seam_(seam) { seam_.replace(&replacement); }
    ~ScopedSeam() { seam_.replace(nullptr); }
    ScopedSeam(const ScopedSeam&) = delete;
    ScopedSeam& operator=(const ScopedSeam&) = delete;

private:
    platform::Seam<Interface>& seam_;
};

// Answers the prompt from a script. Once the script is used up it answers
// "1" (so a wrong test ends rather than loops) and records that it ran dry.
class ScriptedPrompt final : public platform::InputPrompt {
public:
    explicit ScriptedPrompt(QStringList answers = {}) : answers_(std::move(answers)) {}

    QString ask(const QString& message, const QString& title) override
    {
        messages << message;
        titles << title;
        if (whileOpen)
            whileOpen();
        if (answers_.isEmpty()) {
            ranDry = true;
            return QStringLiteral("1");
        }
        return answers_.takeFirst();
    }

    QStringList messages;
    QStringList titles;
    bool ranDry = false;
    // Runs while the prompt is "open", before it answers.
    std::function<void()> whileOpen;

private:
    QStringList answers_;
};

class FixedClock final : public platform::Clock {
public:
    explicit FixedClock(float seconds = 43200.5f) : seconds_(seconds) {}
    float secondsSinceMidnight() override { return seconds_; }

private:
    float seconds_;
};

class FixedSeparators final : public platform::NumberLocale {
public:
    FixedSeparators(std::string decimal = ".", std::string group = ",")
        : separators_{std::move(decimal), std::move(group)}
    {
    }
    NumberSeparators separators() override { return separators_; }

private:
    NumberSeparators separators_;
};

// Counts the yields and runs an optional action at a chosen yield; the
// pending events are handled by the pump in place when it was made (the
// program's own, unless a test put another there first).
class CountingPump final : public platform::EventPump {
public:
    void processPendingEvents() override
    {
        ++yields;
        if (atYield)
            atYield(yields);
        next_.processPendingEvents();
    }

    int yields = 0;
    std::function<void(int)> atYield;

private:
    platform::EventPump& next_ = *platform::eventPump;
};

// What a run needs answered: the prompt from a script, a fixed seed,
// English separators.
struct RunStandIns {
    ScriptedPrompt prompt;
    FixedClock clock;
    FixedSeparators separators;
    ScopedSeam<platform::InputPrompt> promptSeam{platform::inputPrompt, prompt};
    ScopedSeam<platform::Clock> clockSeam{platform::timeOfDay, clock};
    ScopedSeam<platform::NumberLocale> localeSeam{platform::numberLocale, separators};
};

// The same, with the yields counted.
struct StandIns : RunStandIns {
    CountingPump pump;
    ScopedSeam<platform::EventPump> pumpSeam{platform::eventPump, pump};
};

} // namespace vellorin::testing
