// The instructions dialog: what the program is for, who produced it, Close.
#pragma once

#include "platform/Form.h"

class QLabel;
class QPushButton;

namespace vellorin::platform {
class FrameBox;
}

namespace vellorin::ui {

class frmInstructions final : public platform::Form {
    Q_OBJECT
public:
    frmInstructions();

    void cmdClose_Click();

    // The controls, while the window is loaded.
    QLabel* lblInst = nullptr;
    QLabel* lblInstructions = nullptr;
    platform::FrameBox* frmByMe = nullptr;
    QLabel* lblByMe = nullptr;
    QPushButton* cmdClose = nullptr;

protected:
    void buildControls(platform::FormWindow& window) override;
    void placeWindow(platform::FormWindow& window) override;
    void Form_Load() override;
};

} // namespace vellorin::ui
