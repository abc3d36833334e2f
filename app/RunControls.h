// What the run command and the working indicator need of the main window.
#pragma once

#include <array>

class QLabel;
class QLineEdit;
class QTimer;

namespace vellorin::app {

struct RunControls {
    QTimer* tmrWorking = nullptr;
    QLabel* lblWorking = nullptr;
    QLineEdit* txtNum = nullptr;
    QLabel* lblAve = nullptr;
    QLabel* lblMax = nullptr;
    QLabel* lblMin = nullptr;
    // lblN[0] shows bin 1 (0.0 to 0.2), ... lblN[4] bin 5.
    std::array<QLabel*, 5> lblN{};
};

} // namespace vellorin::app
