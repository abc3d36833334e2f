// The toolkit's implementations of the runtime services.
#include "platform/Services.h"

#include "platform/BrowserTurn.h"
#include "platform/Form.h"

#include <QApplication>
#include <QInputDialog>
#include <QLocale>
#include <QTime>

namespace vellorin::platform {
namespace {

class QtEventPump final : public EventPump {
public:
    void processPendingEvents() override
    {
        giveBrowserTurnIfDue();
        // A modal loop's end (the prompt's, say) leaves Qt's Windows event
        // dispatcher a wake-up that makes its next pass return at once,
        // having handled nothing; the second pass handles what is waiting
        // then. Elsewhere the second pass mostly finds nothing to do.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
};

class QtInputPrompt final : public InputPrompt {
public:
    QString ask(const QString& message, const QString& title) override
    {
        // Centred over the window the user is looking at; application
        // modal, so only timer ticks get past it.
        QInputDialog dialog(QApplication::activeWindow());
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.setInputMode(QInputDialog::TextInput);
        dialog.setWindowTitle(title);
        dialog.setLabelText(message);
        dialog.setTextValue(QString());
        showInFront(dialog);
        return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
    }
};

class QtClock final : public Clock {
public:
    float secondsSinceMidnight() override
    {
        return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0f;
    }
};

class QtNumberLocale final : public NumberLocale {
public:
    NumberSeparators separators() override
    {
        const QLocale locale = QLocale::system();
        return {locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()};
    }
};

QtEventPump qtEventPump;
QtInputPrompt qtInputPrompt;
QtClock qtClock;
QtNumberLocale qtNumberLocale;

} // namespace

Seam<EventPump> eventPump{qtEventPump};
Seam<InputPrompt> inputPrompt{qtInputPrompt};
Seam<Clock> timeOfDay{qtClock};
Seam<NumberLocale> numberLocale{qtNumberLocale};

} // namespace vellorin::platform
