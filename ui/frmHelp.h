// The help window: three frequently asked questions and their answers.
#pragma once

#include "platform/Form.h"

class QLabel;
class QPushButton;

namespace vellorin::platform {
class FrameBox;
}

namespace vellorin::ui {

class frmHelp final : public platform::Form {
    Q_OBJECT
public:
    frmHelp();

    void cmdClose_Click();

    // The controls, while the window is loaded.
    platform::FrameBox* fraHelp = nullptr;
    QLabel* lblFAQ = nullptr;
    QLabel* lblQ1 = nullptr;
    QLabel* lblA1 = nullptr;
    QLabel* lblQ2 = nullptr;
    QLabel* lblA2 = nullptr;
    QLabel* lblQ3 = nullptr;
    QLabel* lblA31 = nullptr;
    QLabel* lblA32 = nullptr;
    QLabel* lblA33 = nullptr;
    QLabel* lblA34 = nullptr;
    QLabel* lblA35 = nullptr;
    QLabel* lblA36 = nullptr;
    QPushButton* cmdClose = nullptr;

protected:
    void buildControls(platform::FormWindow& window) override;
    void placeWindow(platform::FormWindow& window) override;
};

} // namespace vellorin::ui
