// The blinking "Working..." label: every timer tick flips its visibility.
#pragma once

class QLabel;

namespace vellorin::app {

void toggleWorking(QLabel* lblWorking);

} // namespace vellorin::app
