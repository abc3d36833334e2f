#include "ui/frmInstructions.h"

#include "platform/Controls.h"
#include "platform/FormWindow.h"
#include "platform/Twips.h"
#include "ui/Forms.h"

#include <QLabel>
#include <QPushButton>

namespace vellorin::ui {
namespace {

using platform::twipsRect;

constexpr QSize clientSize = platform::twipsSize(5280, 2160);
constexpr QPoint screenPosition = platform::twipsPoint(3375, 3555);
constexpr QRect lblInstRect = twipsRect(255, 120, 1560, 375);
constexpr QRect lblInstructionsRect = twipsRect(240, 495, 4800, 855);
constexpr QRect frmByMeRect = twipsRect(240, 1350, 3615, 735);
constexpr QRect lblByMeRect = twipsRect(240, 240, 3135, 375);
constexpr QRect cmdCloseRect = twipsRect(3960, 1560, 1215, 495);

const QString instructionsText = QStringLiteral(
    "This program is a simple statistical study on random numbers.  It creates several random numbers, "
    "analyzes them and then shows the results.  The goal is to see the effect of the number of random "
    "numbers generated on the results.  For more information see Help.");
const QString creditText = QStringLiteral("The Vellorin Team");

} // namespace

frmInstructions::frmInstructions()
    : Form(clientSize, platform::FormWindow::Kind::Dialog)
{
    setObjectName(QStringLiteral("frmInstructions"));
}

void frmInstructions::buildControls(platform::FormWindow& window)
{
    window.setWindowTitle(QStringLiteral("Instructions"));
    QWidget* client = window.client();
    lblInst = platform::makeLabel(client, "lblInst", QStringLiteral("Instructions:"), lblInstRect,
                                  {.color = QColor(0, 0, 255), .pointSize = 13.5});
    lblInstructions = platform::makeLabel(client, "lblInstructions", instructionsText, lblInstructionsRect);
    frmByMe = platform::makeFrame(client, "frmByMe", QStringLiteral("Produced By:"), frmByMeRect);
    lblByMe = platform::makeLabel(frmByMe, "lblByMe", creditText, lblByMeRect,
                                  {.color = QColor(128, 128, 255), .pointSize = 17.25,
                                   .alignment = Qt::AlignHCenter});
    cmdClose = platform::makeButton(client, "cmdClose", QStringLiteral("Close"), cmdCloseRect);
    cmdClose->setDefault(true);
    window.setCancelButton(cmdClose);
    connect(cmdClose, &QPushButton::clicked, this, &frmInstructions::cmdClose_Click);
    cmdClose->setFocus();
}

void frmInstructions::placeWindow(platform::FormWindow& window)
{
    window.placeClientAt(screenPosition);
}

void frmInstructions::Form_Load()
{
    forms::frmMain->show();
}

void frmInstructions::cmdClose_Click()
{
    hide();
}

} // namespace vellorin::ui
