#include "ui/frmHelp.h"

#include "platform/Controls.h"
#include "platform/FormWindow.h"
#include "platform/Twips.h"

#include <QLabel>
#include <QPushButton>

namespace vellorin::ui {
namespace {

using platform::twipsRect;

constexpr QSize clientSize = platform::twipsSize(5535, 6645);
constexpr QPoint screenPosition = platform::twipsPoint(3255, 1560);
constexpr QRect fraHelpRect = twipsRect(120, 120, 5295, 5895);
constexpr QRect cmdCloseRect = twipsRect(2160, 6120, 1215, 495);
constexpr int labelLeft = 240, labelWidth = 4800;

const QColor questionGreen(0, 128, 0);

struct HelpLabel {
    const char* name;
    int top;
    int height;
    QString caption;
    platform::TextStyle style;
};

// The frame's labels, top to bottom.
const HelpLabel helpLabels[] = {
    {"lblFAQ", 360, 300, QStringLiteral("Frequently Asked Questions:"),
     {.color = QColor(128, 128, 255), .bold = true}},
    {"lblQ1", 660, 300, QStringLiteral("Q: What is a random Number?"), {.color = questionGreen}},
    {"lblA1", 960, 540,
     QStringLiteral("A: A number between 0 and 1 chosen randomly. This means that none of the numbers have "
                    "more chance than the others."), {}},
    {"lblQ2", 1500, 300, QStringLiteral("Q: Why does a \"Bad Number\" error message appear?"),
     {.color = questionGreen}},
    {"lblA2", 1800, 735,
     QStringLiteral("A: There are limits for the number you give:\r\nIt has to be a positive integer less than "
                    "10 million.  If the number of calculations is too high it may cause your computer to "
                    "crash.\r\n"), {}},
    {"lblQ3", 2535, 300, QStringLiteral("Q: What are the goals of this program anyway?"), {.color = questionGreen}},
    {"lblA31", 2835, 780,
     QStringLiteral("A: The program aims at studying the effect the number of random numbers generated has on "
                    "the results.  I recommend that you think on it for yourself.  But in case you can't guess, "
                    "the most important effects are listed below."), {}},
    {"lblA32", 3615, 300, QStringLiteral("The higher the number of numbers generated,"), {}},
    {"lblA33", 3915, 420,
     QStringLiteral("1. the average gets closer to 0.5, because random numbers are uniformly distributed "
                    "between 0 and 1."), {}},
    {"lblA34", 4335, 300, QStringLiteral("2. the biggest number gets closer to 1."), {}},
    {"lblA35", 4635, 300, QStringLiteral("3. the smallest number gets closer to 0."), {}},
    {"lblA36", 4935, 780,
     QStringLiteral("4. Nearly 20 percent of all numbers lie in each 0.2 intervals. At first, you may think that "
                    "random numbers are mainly around 0.5 but this is not true. In fact the distribution of "
                    "random numbers is nearly uniformed."), {}},
};

} // namespace

frmHelp::frmHelp()
    : Form(clientSize, platform::FormWindow::Kind::Dialog)
{
    setObjectName(QStringLiteral("frmHelp"));
}

void frmHelp::buildControls(platform::FormWindow& window)
{
    window.setWindowTitle(QStringLiteral("Help"));
    QWidget* client = window.client();
    fraHelp = platform::makeFrame(client, "fraHelp", QStringLiteral("Vellorin Help:"), fraHelpRect,
                                  {.color = QColor(0, 0, 255), .pointSize = 9.75, .bold = true});

    QLabel** const targets[] = {&lblFAQ, &lblQ1, &lblA1, &lblQ2, &lblA2, &lblQ3,
                                &lblA31, &lblA32, &lblA33, &lblA34, &lblA35, &lblA36};
    static_assert(std::size(targets) == std::size(helpLabels));
    for (std::size_t i = 0; i < std::size(helpLabels); ++i) {
        const HelpLabel& label = helpLabels[i];
        *targets[i] = platform::makeLabel(fraHelp, label.name, label.caption,
                                          twipsRect(labelLeft, label.top, labelWidth, label.height), label.style);
    }

    cmdClose = platform::makeButton(client, "cmdClose", QStringLiteral("Close"), cmdCloseRect);
    cmdClose->setDefault(true);
    window.setCancelButton(cmdClose);
    connect(cmdClose, &QPushButton::clicked, this, &frmHelp::cmdClose_Click);
    cmdClose->setFocus();
}

void frmHelp::placeWindow(platform::FormWindow& window)
{
    window.placeClientAt(screenPosition);
}

void frmHelp::cmdClose_Click()
{
    hide();
}

} // namespace vellorin::ui
