#include "platform/BrowserTurn.h"

#include <QtGlobal>

#ifdef Q_OS_WASM
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <qpa/qwindowsysteminterface.h>

#include <emscripten/em_js.h>
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
// The guard against a turn that cannot wait: Qt's dispatcher can suspend
// only one caller at a time, and returns at once for a second.
constexpr qint64 turnDeadlineMs = 250;

std::uintptr_t currentTurn = 0;
bool turnEnded = true;
bool inTurn = false;
bool holdingInput = false;

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

// Whether the page has had the thread since the last call: idle between
// two runs, a dialog open at a yield, a turn. Each call leaves a message
// for the page, which it reads only when it gets the thread.
EM_JS(int, pageHadThreadSinceLastAsked, (), {
    if (!Module.vellorinPageTask) {
        const channel = new MessageChannel();
        channel.port1.onmessage = () => { Module.vellorinPageTask.ran = true; };
        Module.vellorinPageTask = { channel, ran: true };
    }
    const task = Module.vellorinPageTask;
    const ran = task.ran;
    task.ran = false;
    task.channel.port2.postMessage(0);
    return ran ? 1 : 0;
});

// Asyncify keeps the data of the suspended call from its suspension until
// its resumption is through.
EM_JS(int, suspendedCallExists, (), { return Asyncify.currData ? 1 : 0; });

} // namespace

bool anotherCallerWaits() { return suspendedCallExists() != 0; }

void holdInputUntilCallerResumes()
{
    // A turn queues the page's input already, and delivers it itself.
    if (inTurn || holdingInput)
        return;
    holdingInput = true;
    QWindowSystemInterface::setSynchronousWindowSystemEvents(false);
}

void deliverHeldInput()
{
    if (!holdingInput)
        return;
    holdingInput = false;
    QWindowSystemInterface::setSynchronousWindowSystemEvents(true);
    QWindowSystemInterface::flushWindowSystemEvents();
}

void giveBrowserTurnIfDue()
{
    static QElapsedTimer sincePageHadThread;
    if (pageHadThreadSinceLastAsked() || !sincePageHadThread.isValid())
        sincePageHadThread.start();
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
    inTurn = true;
    while (!turnEnded && waited.elapsed() < turnDeadlineMs) {
        QWindowSystemInterface::setSynchronousWindowSystemEvents(false);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QWindowSystemInterface::setSynchronousWindowSystemEvents(true);
    }
    inTurn = false;
    sincePageHadThread.start();
    pageHadThreadSinceLastAsked();
}

#else

void giveBrowserTurnIfDue() {}
bool anotherCallerWaits() { return false; }
void holdInputUntilCallerResumes() {}
void deliverHeldInput() {}

#endif

} // namespace vellorin::platform
