#include "platform/BrowserTurn.h"

#include <QtGlobal>

#ifdef Q_OS_WASM
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <qpa/qwindowsysteminterface.h>

#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <cstdint>
#endif

namespace vellorin::platform {

#ifdef Q_OS_WASM
namespace {

// A turn costs up to one frame (16.7 ms at 60 Hz): one every 200 ms keeps
// it under a tenth of a run and still lets the working indicator blink.
constexpr qint64 turnIntervalMs = 200;
// Should the page never give the frame back (a hidden tab has no frames),
// a timer ends the turn instead.
constexpr double turnTimeoutMs = 100;
// Yields closer together than this are one stretch of drawing; a longer
// gap means the page had the thread meanwhile (idle between two runs, or a
// dialog open at a yield).
constexpr qint64 stretchGapMs = 50;
// The guard against a turn that cannot wait: Qt's dispatcher can suspend
// only one caller at a time, and returns at once for a second.
constexpr qint64 turnDeadlineMs = 250;

std::uintptr_t currentTurn = 0;
bool turnEnded = true;

void endTurn(void* turn)
{
    if (reinterpret_cast<std::uintptr_t>(turn) != currentTurn || turnEnded)
        return;
    turnEnded = true;
    if (QAbstractEventDispatcher* dispatcher = QCoreApplication::eventDispatcher())
        dispatcher->wakeUp();
}

EM_BOOL endTurnAtFrame(double, void* turn)
{
    endTurn(turn);
    return EM_FALSE;
}

} // namespace

void giveBrowserTurnIfDue()
{
    static QElapsedTimer sincePageHadThread;
    static QElapsedTimer sinceLastYield;
    if (!sinceLastYield.isValid() || sinceLastYield.elapsed() > stretchGapMs)
        sincePageHadThread.start();
    sinceLastYield.start();
    if (sincePageHadThread.elapsed() < turnIntervalMs)
        return;

    void* const turn = reinterpret_cast<void*>(++currentTurn);
    turnEnded = false;
    emscripten_request_animation_frame(endTurnAtFrame, turn);
    emscripten_set_timeout(endTurn, turnTimeoutMs, turn);

    // The page's input is queued while the run is suspended, so that a
    // command it brings runs at this yield, nested in the run as on the
    // desktop, and not on a stack of its own that could not wait for a
    // dialog. The frame's own drawing (the canvas) happens in the turn.
    QElapsedTimer waited;
    waited.start();
    while (!turnEnded && waited.elapsed() < turnDeadlineMs) {
        QWindowSystemInterface::setSynchronousWindowSystemEvents(false);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QWindowSystemInterface::setSynchronousWindowSystemEvents(true);
    }
    sincePageHadThread.start();
    sinceLastYield.start();
}

#else

void giveBrowserTurnIfDue() {}

#endif

} // namespace vellorin::platform
