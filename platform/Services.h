// The runtime services the program takes from the toolkit: the event
// loop's pending-events call, the modal input prompt, the time of day and
// the user's number separators. Each sits behind a seam so tests can
// answer prompts, fix the time or the locale, and watch the yields.
#pragma once

#include "core/NumberText.h"
#include "platform/Seam.h"

#include <QString>

namespace vellorin::platform {

class EventPump {
public:
    virtual ~EventPump() = default;
    // Handles every waiting window event (timer ticks, clicks, menu
    // commands), then returns.
    virtual void processPendingEvents() = 0;
};

class InputPrompt {
public:
    virtual ~InputPrompt() = default;
    // Modal; an empty entry field with OK and Cancel. Returns the entered
    // text, or an empty text on Cancel or close.
    virtual QString ask(const QString& message, const QString& title) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since midnight, with the fraction.
    virtual float secondsSinceMidnight() = 0;
};

class NumberLocale {
public:
    virtual ~NumberLocale() = default;
    // The user's decimal and group separators, as the number text takes them.
    virtual NumberSeparators separators() = 0;
};

extern Seam<EventPump> eventPump;
extern Seam<InputPrompt> inputPrompt;
extern Seam<Clock> timeOfDay;
extern Seam<NumberLocale> numberLocale;

} // namespace vellorin::platform
