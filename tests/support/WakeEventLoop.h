// QTest's key and mouse events on a QWindow handle pending events after each
// press and release. When such an event ends a modal loop from inside that
// loop, Qt's Windows event dispatcher lets the nested pass take the wake-up
// the loop's end left for it, and the loop then waits for a message that
// never comes (on Windows itself as under wine; other systems' dispatchers
// return to the loop). Test code that may end a modal loop from inside it
// calls this when done: an ended loop then returns, a running one looks once
// more and waits on.
#pragma once

#include <QAbstractEventDispatcher>

namespace vellorin::testing {

inline void wakeEventLoop()
{
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->interrupt();
}

} // namespace vellorin::testing
