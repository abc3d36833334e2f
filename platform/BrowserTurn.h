// In the browser the program runs on the page's own thread: while a run
// draws, the page can neither repaint nor take a key or a click. At the
// run's yields the event pump gives the browser a turn now and then, long
// enough for one frame; elsewhere this does nothing.
#pragma once

namespace vellorin::platform {

// Gives the browser a turn when the last one is long enough ago, then
// returns; input that arrived meanwhile waits for the pending-events call.
void giveBrowserTurnIfDue();

// In the browser, a caller that waits (a modal window's loop, a run's
// turn) is suspended and later resumed. Only one caller can be suspended
// at a time: while one is (or its resumption is still on its way), true,
// and a second must not start waiting. Elsewhere always false.
bool anotherCallerWaits();

} // namespace vellorin::platform
