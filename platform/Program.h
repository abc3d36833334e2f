// Ending the program: every window goes at once, every nested event loop
// returns, and a run in progress sees programEnding() at its next yield and
// stops there without touching the windows again.
#pragma once

namespace vellorin::platform {

void endProgram();
bool programEnding();

} // namespace vellorin::platform
