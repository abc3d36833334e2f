// The blinking "Working..." label. A run starts it; every tick of its timer
// that the event loop delivers flips the label; at the run's end it stops
// and hides the label, whichever phase the blinking had reached.
#pragma once

#include <QObject>

class QLabel;
class QTimer;

namespace vellorin::app {

class WorkingIndicator : public QObject {
    Q_OBJECT
public:
    // The timer, tmrWorking, is the indicator's own; the label is the window's.
    WorkingIndicator(QLabel* lblWorking, QObject* parent);

    QTimer* timer() const { return tmrWorking_; }

    void start();
    void stopAndHide();
    // The timer's tick.
    void tmrWorking_Timer();

private:
    QLabel* const lblWorking_;
    QTimer* const tmrWorking_;
};

} // namespace vellorin::app
