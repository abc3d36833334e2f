#include "ui/frmMain.h"

#include "app/RunCommand.h"
#include "app/WorkingIndicator.h"
#include "platform/Controls.h"
#include "platform/FormWindow.h"
#include "platform/Program.h"
#include "platform/Twips.h"
#include "ui/Forms.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace vellorin::ui {
namespace {

using platform::twipsPoint;
using platform::twipsRect;
using platform::TextStyle;

// Layout in twips (left, top, width, height), each relative to its container.
constexpr QSize clientSize = platform::twipsSize(5295, 6585);
constexpr QRect fraInputRect = twipsRect(600, 120, 4095, 1695);
constexpr QRect lblExplainRect = twipsRect(240, 240, 3705, 840);
constexpr QRect txtNumRect = twipsRect(480, 1080, 1575, 420);
constexpr QRect cmdRunRect = twipsRect(2205, 960, 1455, 615);
constexpr QRect lblWorkingRect = twipsRect(2040, 1920, 1335, 375);
constexpr QRect fraOutputRect = twipsRect(240, 2280, 4815, 4095);
constexpr QRect lblExplTable1Rect = twipsRect(240, 360, 2055, 1215);
constexpr QRect shpTable1Rect = twipsRect(240, 1800, 2025, 1695);
constexpr int summaryCaptionLeft = 360, summaryValueLeft = 1080, summaryTop = 2040, summaryRowStep = 495;
constexpr int summaryCaptionWidth = 705, summaryValueWidth = 1095, summaryRowHeight = 495;
constexpr QPoint line1From = twipsPoint(2400, 240);
constexpr QPoint line1To = twipsPoint(2400, 3960);
constexpr QRect lblExplTable2Rect = twipsRect(2640, 240, 2055, 1575);
constexpr QRect shpTable2Rect = twipsRect(2640, 1800, 2025, 2055);
constexpr int binCaptionLeft = 2880, binValueLeft = 3840, binTop = 1920, binRowStep = 405;
constexpr int binCaptionWidth = 750, binValueWidth = 705, binRowHeight = 405;

const QColor red(255, 0, 0);
const QColor blue(0, 0, 255);
const QColor green(0, 128, 0);
const QColor grey(128, 128, 128);

const QString explainText = QStringLiteral(
    "Enter the number of random numbers you want to be generated in the box below. Then click the "
    "button.  Tip: You can try small and big numbers and compare their results.");
const QString explTable1Text = QStringLiteral(
    "The table below shows some important factors.  Notice that the average is nearly 0.5, and the "
    "smallest and biggest numbers are close to 0 and 1.");
const QString explTable2Text = QStringLiteral(
    "In this table the space between 0 and 1 has been devided into 5 sections.  The percentage of the "
    "random numbers in each part is shown in front of it. Notice that they are close to %20.");
const std::array<const char*, 5> binCaptions{"0.0 to 0.2:", "0.2 to 0.4:", "0.4 to 0.6:",
                                             "0.6 to 0.8:", "0.8 to 1.0:"};

} // namespace

frmMain::frmMain()
    : Form(clientSize, platform::FormWindow::Kind::MainWindow)
{
    setObjectName(QStringLiteral("frmMain"));
}

frmMain::~frmMain() = default;

QLabel* frmMain::lblN(int index) const
{
    return index >= 1 && index <= 5 ? lblNArray_[index - 1] : nullptr;
}

void frmMain::buildControls(platform::FormWindow& window)
{
    window.setWindowTitle(QStringLiteral("Vellorin"));
    buildMenus(window);
    buildInput(window.client());
    buildResults(window.client());

    working = new app::WorkingIndicator(lblWorking, &window);
    tmrWorking = working->timer();

    connect(cmdRun, &QPushButton::clicked, this, &frmMain::cmdRun_Click);
    QWidget::setTabOrder(txtNum, cmdRun);
    txtNum->setFocus();

    runCommand_ = std::make_unique<app::RunCommand>(app::RunControls{
        working, txtNum, lblAve, lblMax, lblMin, lblNArray_});
}

void frmMain::buildMenus(platform::FormWindow& window)
{
    QMenuBar* bar = window.addMenuBar();
    mnuFile = bar->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileExit = mnuFile->addAction(QStringLiteral("E&xit"));
    mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));

    mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpInstructions = mnuHelp->addAction(QStringLiteral("&Instructions"));
    mnuHelpInstructions->setObjectName(QStringLiteral("mnuHelpInstructions"));
    mnuHelpInstructions->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    mnuHelpHelp = mnuHelp->addAction(QStringLiteral("&Help"));
    mnuHelpHelp->setObjectName(QStringLiteral("mnuHelpHelp"));
    mnuHelpHelp->setShortcut(QKeySequence(Qt::Key_F1));

    // The shortcuts act wherever the focus is in this window.
    for (QAction* action : {mnuFileExit, mnuHelpInstructions, mnuHelpHelp}) {
        action->setShortcutContext(Qt::WindowShortcut);
        window.addAction(action);
    }
    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);
    connect(mnuHelpInstructions, &QAction::triggered, this, &frmMain::mnuHelpInstructions_Click);
    connect(mnuHelpHelp, &QAction::triggered, this, &frmMain::mnuHelpHelp_Click);
}

void frmMain::buildInput(QWidget* client)
{
    fraInput = platform::makeFrame(client, "fraInput", QStringLiteral("Input"), fraInputRect);
    lblExplain = platform::makeLabel(fraInput, "lblExplain", explainText, lblExplainRect, {.color = red});
    txtNum = platform::makeTextBox(fraInput, "txtNum", QStringLiteral("100"), txtNumRect,
                                   {.pointSize = 12, .bold = true, .alignment = Qt::AlignHCenter});
    txtNum->setAccessibleName(QStringLiteral("Sample size"));
    cmdRun = platform::makeButton(fraInput, "cmdRun", QStringLiteral("Create Random Numbers"), cmdRunRect);
    cmdRun->setDefault(true);

    lblWorking = platform::makeLabel(client, "lblWorking", QStringLiteral("Working..."), lblWorkingRect,
                                     {.color = red, .pointSize = 12, .bold = true,
                                      .alignment = Qt::AlignHCenter});
    lblWorking->hide();
}

void frmMain::buildResults(QWidget* client)
{
    fraOutput = platform::makeFrame(client, "fraOutput", QStringLiteral("Results"), fraOutputRect);
    lblExplTable1 = platform::makeLabel(fraOutput, "lblExplTable1", explTable1Text, lblExplTable1Rect,
                                        {.color = blue});

    const auto summaryRow = [&](const char* captionName, const QString& caption, const char* valueName,
                                const QString& accessibleName, int row, QLabel*& captionLabel) {
        const int top = summaryTop + row * summaryRowStep;
        captionLabel = platform::makeLabel(fraOutput, captionName, caption,
                                           twipsRect(summaryCaptionLeft, top, summaryCaptionWidth, summaryRowHeight));
        QLabel* value = platform::makeLabel(fraOutput, valueName, QString(),
                                            twipsRect(summaryValueLeft, top, summaryValueWidth, summaryRowHeight),
                                            {.alignment = Qt::AlignHCenter});
        value->setAccessibleDescription(accessibleName);
        return value;
    };
    lblAve = summaryRow("lblAveIs", QStringLiteral("Average:  "), "lblAve", QStringLiteral("Average"), 0, lblAveIs);
    lblMax = summaryRow("lblMaxIs", QStringLiteral("Biggest:"), "lblMax", QStringLiteral("Biggest"), 1, lblMaxIs);
    lblMin = summaryRow("lblMinIs", QStringLiteral("Smallest:"), "lblMin", QStringLiteral("Smallest"), 2, lblMinIs);

    Line1 = new platform::LineShape(fraOutput, "Line1", line1From, line1To, grey);
    lblExplTable2 = platform::makeLabel(fraOutput, "lblExplTable2", explTable2Text, lblExplTable2Rect,
                                        {.color = green});

    for (int bin = 1; bin <= 5; ++bin) {
        const int top = binTop + (bin - 1) * binRowStep;
        const QString caption = QString::fromLatin1(binCaptions[bin - 1]);
        lblNCaption[bin - 1] = platform::makeLabel(
            fraOutput, QStringLiteral("lblN%1").arg(bin).toLatin1().constData(), caption,
            twipsRect(binCaptionLeft, top, binCaptionWidth, binRowHeight));
        lblNArray_[bin - 1] = platform::makeLabel(
            fraOutput, QStringLiteral("lblN(%1)").arg(bin).toLatin1().constData(), QString(),
            twipsRect(binValueLeft, top, binValueWidth, binRowHeight));
        lblNArray_[bin - 1]->setAccessibleDescription(caption.chopped(1));
    }

    // The outlines are drawn over the labels, so the tables stay framed
    // where their last rows reach past the rectangles.
    shpTable1 = new platform::ShapeRectangle(fraOutput, "shpTable1", shpTable1Rect);
    shpTable2 = new platform::ShapeRectangle(fraOutput, "shpTable2", shpTable2Rect);
}

void frmMain::placeWindow(platform::FormWindow& window)
{
    window.centreOnScreen();
}

void frmMain::Form_Load()
{
    forms::frmInstructions->showModal();
}

void frmMain::closeRequested()
{
    mnuFileExit_Click();
}

void frmMain::cmdRun_Click()
{
    runCommand_->cmdRun_Click();
}

void frmMain::mnuFileExit_Click()
{
    unload();
    platform::endProgram();
}

void frmMain::mnuHelpInstructions_Click()
{
    forms::frmInstructions->showModal();
}

void frmMain::mnuHelpHelp_Click()
{
    forms::frmHelp->showModal();
}

void frmMain::ClearLabels()
{
    runCommand_->clearLabels();
}

} // namespace vellorin::ui
