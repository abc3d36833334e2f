// The main window: the sample-size input, the run button, the blinking
// "Working..." label and the two result tables, with the File and Help menus.
#pragma once

#include "platform/Form.h"

#include <array>
#include <memory>

class QAction;

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;

namespace vellorin::platform {
class FrameBox;
class LineShape;
class ShapeRectangle;
} // namespace vellorin::platform

namespace vellorin::app {
class RunCommand;
class WorkingIndicator;
} // namespace vellorin::app

namespace vellorin::ui {

class frmMain final : public platform::Form {
    Q_OBJECT
public:
    frmMain();
    ~frmMain() override;

    // The control array lblN, elements 1 to 5; nullptr for any other index.
    QLabel* lblN(int index) const;

    void cmdRun_Click();
    void mnuFileExit_Click();
    void mnuHelpInstructions_Click();
    void mnuHelpHelp_Click();
    void ClearLabels();

    // The controls, while the window is loaded.
    platform::FrameBox* fraInput = nullptr;
    QLabel* lblExplain = nullptr;
    QLineEdit* txtNum = nullptr;
    QPushButton* cmdRun = nullptr;
    QLabel* lblWorking = nullptr;
    QTimer* tmrWorking = nullptr; // the working indicator's timer
    app::WorkingIndicator* working = nullptr;
    platform::FrameBox* fraOutput = nullptr;
    QLabel* lblExplTable1 = nullptr;
    platform::ShapeRectangle* shpTable1 = nullptr;
    QLabel* lblAveIs = nullptr;
    QLabel* lblAve = nullptr;
    QLabel* lblMaxIs = nullptr;
    QLabel* lblMax = nullptr;
    QLabel* lblMinIs = nullptr;
    QLabel* lblMin = nullptr;
    platform::LineShape* Line1 = nullptr;
    QLabel* lblExplTable2 = nullptr;
    platform::ShapeRectangle* shpTable2 = nullptr;
    std::array<QLabel*, 5> lblNCaption{}; // lblN1 to lblN5: "0.0 to 0.2:" ...
    QMenu* mnuFile = nullptr;
    QAction* mnuFileExit = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpInstructions = nullptr;
    QAction* mnuHelpHelp = nullptr;

protected:
    void buildControls(platform::FormWindow& window) override;
    void placeWindow(platform::FormWindow& window) override;
    void Form_Load() override;
    void closeRequested() override;

private:
    void buildMenus(platform::FormWindow& window);
    void buildInput(QWidget* client);
    void buildResults(QWidget* client);

    std::array<QLabel*, 5> lblNArray_{};
    std::unique_ptr<app::RunCommand> runCommand_;
};

} // namespace vellorin::ui
