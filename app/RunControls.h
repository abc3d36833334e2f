// What the run command needs of the main window.
#pragma once

#include <array>

class QLabel;
class QLineEdit;

namespace vellorin::app {

class WorkingIndicator;

struct RunControls {
    WorkingIndicator* working = nullptr;
    QLineEdit* txtNum = nullptr;
    QLabel* lblAve = nullptr;
    QLabel* lblMax = nullptr;
    QLabel* lblMin = nullptr;
    // lblN[0] shows bin 1 (0.0 to 0.2), ... lblN[4] bin 5.
    std::array<QLabel*, 5> lblN{};
};

} // namespace vellorin::app
