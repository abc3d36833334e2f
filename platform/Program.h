// Running the program, and ending it: every window goes at once, every
// nested event loop returns, and a run in progress sees programEnding() at
// its next yield and stops there without touching the windows again.
#pragma once

namespace vellorin::platform {

// Runs `start` (which loads and shows the start-up window, and may wait in
// a modal window of its own), then the event loop until the program ends;
// returns the program's exit status.
int runProgram(void (*start)());

void endProgram();
bool programEnding();

} // namespace vellorin::platform
