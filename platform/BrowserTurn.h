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
// and a second must not start waiting. The toolkit counts a caller as
// resumed once it has asked for its wake-up, which a slow machine
// delivers late; a second caller that waits meanwhile takes the first
// one's place, the wake-up is then dropped, and the first never resumes
// (a run beneath a Help opened then would hang). Elsewhere always false.
bool anotherCallerWaits();

// In the browser, while a caller is suspended, the toolkit's calls into
// the page's script hand back a promise instead of what they make, so a
// window made then (a menu opened by a tap that comes between a modal
// window's leaving and its caller's resumption) hears no taps. Input from
// the first call on is held in the queue, and the second, made on the
// resumed caller, delivers it there. Elsewhere neither does anything.
void holdInputUntilCallerResumes();
void deliverHeldInput();

} // namespace vellorin::platform
