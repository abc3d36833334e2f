// Tests of the main window and of its working indicator: layout, texts,
// fonts and colours against the window's layout table,
// the menus, the keyboard, the start state, the blinking "Working..." label
// and the window's indifference to being resized.
//
// Every test function gets a freshly loaded main window (openMainWindow,
// with the instructions dismissed as at start-up) and discards it again in
// cleanup(). Tests that may press the run button put stand-ins in place of
// the prompt, the clock and the separators.
#include "app/WorkingIndicator.h"
#include "platform/Controls.h"
#include "platform/FormWindow.h"
#include "platform/ProgramFont.h"
#include "platform/Services.h"
#include "support/MainWindowFixture.h"
#include "support/TestSeams.h"
#include "ui/Forms.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

using namespace vellorin;
using vellorin::platform::Form;

namespace {

constexpr int twipsPerPixel = 15;

// The design table is written in twips; every value of it is a whole number
// of pixels, so the conversion is an exact division.
int pixels(int twips) { return twips / twipsPerPixel; }
QRect pixels(const QRect& twips)
{
    return {pixels(twips.x()), pixels(twips.y()), pixels(twips.width()), pixels(twips.height())};
}
bool wholePixels(const QRect& twips)
{
    return twips.x() % twipsPerPixel == 0 && twips.y() % twipsPerPixel == 0
        && twips.width() % twipsPerPixel == 0 && twips.height() % twipsPerPixel == 0;
}

enum class Kind { Label, Frame, TextBox, Button, Shape };

const QString explainText = QStringLiteral(
    "Enter the number of random numbers you want to be generated in the box below. Then click the button.  "
    "Tip: You can try small and big numbers and compare their results.");
const QString explTable1Text = QStringLiteral(
    "The table below shows some important factors.  Notice that the average is nearly 0.5, and the smallest "
    "and biggest numbers are close to 0 and 1.");
const QString explTable2Text = QStringLiteral(
    "In this table the space between 0 and 1 has been devided into 5 sections.  The percentage of the random "
    "numbers in each part is shown in front of it. Notice that they are close to %20.");

const QColor red(255, 0, 0);
const QColor blue(0, 0, 255);
const QColor green(0, 128, 0);
const QColor grey(128, 128, 128);
const QColor defaultColour; // invalid: the platform's default text colour

// The control of the main window that the design table calls `name`.
QWidget* control(ui::frmMain& form, const QString& name)
{
    const QMap<QString, QWidget*> byName{
        {QStringLiteral("fraInput"), form.fraInput},
        {QStringLiteral("lblExplain"), form.lblExplain},
        {QStringLiteral("txtNum"), form.txtNum},
        {QStringLiteral("cmdRun"), form.cmdRun},
        {QStringLiteral("lblWorking"), form.lblWorking},
        {QStringLiteral("fraOutput"), form.fraOutput},
        {QStringLiteral("lblExplTable1"), form.lblExplTable1},
        {QStringLiteral("shpTable1"), form.shpTable1},
        {QStringLiteral("lblAveIs"), form.lblAveIs},
        {QStringLiteral("lblAve"), form.lblAve},
        {QStringLiteral("lblMaxIs"), form.lblMaxIs},
        {QStringLiteral("lblMax"), form.lblMax},
        {QStringLiteral("lblMinIs"), form.lblMinIs},
        {QStringLiteral("lblMin"), form.lblMin},
        {QStringLiteral("Line1"), form.Line1},
        {QStringLiteral("lblExplTable2"), form.lblExplTable2},
        {QStringLiteral("shpTable2"), form.shpTable2},
        {QStringLiteral("lblN1"), form.lblNCaption[0]},
        {QStringLiteral("lblN2"), form.lblNCaption[1]},
        {QStringLiteral("lblN3"), form.lblNCaption[2]},
        {QStringLiteral("lblN4"), form.lblNCaption[3]},
        {QStringLiteral("lblN5"), form.lblNCaption[4]},
        {QStringLiteral("lblN(1)"), form.lblN(1)},
        {QStringLiteral("lblN(2)"), form.lblN(2)},
        {QStringLiteral("lblN(3)"), form.lblN(3)},
        {QStringLiteral("lblN(4)"), form.lblN(4)},
        {QStringLiteral("lblN(5)"), form.lblN(5)},
    };
    return byName.value(name);
}

QWidget* container(ui::frmMain& form, const QString& name)
{
    if (name == QLatin1String("client"))
        return form.window()->client();
    if (name == QLatin1String("fraInput"))
        return form.fraInput;
    if (name == QLatin1String("fraOutput"))
        return form.fraOutput;
    return nullptr;
}

// The eight result labels: average, biggest, smallest, then the shares.
std::vector<QLabel*> resultLabels(ui::frmMain& form)
{
    return {form.lblAve, form.lblMax, form.lblMin, form.lblN(1), form.lblN(2), form.lblN(3), form.lblN(4),
            form.lblN(5)};
}

QStringList resultTexts(ui::frmMain& form)
{
    QStringList texts;
    for (QLabel* label : resultLabels(form))
        texts << label->text();
    return texts;
}

// Records show and hide events of one widget, and whether each happened
// while a yield of the run was handling events.
class VisibilityWatch final : public QObject {
public:
    struct Change {
        QEvent::Type type;
        bool insideYield;
        int yield;
    };

    VisibilityWatch(QWidget* watched, std::function<bool()> insideYield = {}, std::function<int()> yield = {})
        : watched_(watched)
        , insideYield_(std::move(insideYield))
        , yield_(std::move(yield))
    {
        watched_->installEventFilter(this);
    }
    ~VisibilityWatch() override
    {
        if (watched_)
            watched_->removeEventFilter(this);
    }

    int count(QEvent::Type type) const
    {
        return int(std::count_if(changes.begin(), changes.end(), [type](const Change& c) { return c.type == type; }));
    }

    std::vector<Change> changes;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (object == watched_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
            changes.push_back({event->type(), insideYield_ ? insideYield_() : false, yield_ ? yield_() : 0});
        return false;
    }

private:
    QPointer<QWidget> watched_;
    std::function<bool()> insideYield_;
    std::function<int()> yield_;
};

// The run's yield: counts, knows when it is handling events, and can hold
// the run at chosen yields so that timer ticks fall due meanwhile.
class TrackingPump final : public platform::EventPump {
public:
    void processPendingEvents() override
    {
        inside = true;
        counting.processPendingEvents();
        inside = false;
    }

    testing::CountingPump counting;
    bool inside = false;
};

// Arms a one-shot that, once the modal dialog opened by a key press is up,
// records which dialog it is and dismisses it with its Close button.
class DialogDismisser final : public QObject {
public:
    DialogDismisser()
    {
        QTimer::singleShot(0, this, [this] { dismiss(); });
    }

    bool fired = false;
    bool helpShown = false;
    bool instructionsShown = false;
    bool shownModally = false;

private:
    void dismiss()
    {
        fired = true;
        if (!forms::frmHelp.isEmpty() && forms::frmHelp->state() == Form::State::Shown) {
            helpShown = true;
            shownModally = forms::frmHelp->window()->isModal();
            QTest::mouseClick(forms::frmHelp->cmdClose, Qt::LeftButton);
        }
        if (!forms::frmInstructions.isEmpty() && forms::frmInstructions->state() == Form::State::Shown) {
            instructionsShown = true;
            shownModally = forms::frmInstructions->window()->isModal();
            QTest::mouseClick(forms::frmInstructions->cmdClose, Qt::LeftButton);
        }
    }
};

bool dialogShown()
{
    return (!forms::frmHelp.isEmpty() && forms::frmHelp->state() == Form::State::Shown)
        || (!forms::frmInstructions.isEmpty() && forms::frmInstructions->state() == Form::State::Shown);
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class tst_frmMain : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void window();
    void controls_data();
    void controls();
    void everyControlIsInTheTable();
    void line();
    void controlArray();
    void menus();

    void focusAtOpen();
    void tabOrder();
    void enterRuns_data();
    void enterRuns();
    void escapeDoesNothing();
    void helpKeys_data();
    void helpKeys();
    void menuAccessKeys_data();
    void menuAccessKeys();

    void startState();

    void tickFlipsLabel();
    void blinksWhilePromptOpen();
    void shortRunNeverShowsLabel();
    void longRunChangesLabelOnlyAtYields_data();
    void longRunChangesLabelOnlyAtYields();

    void resizingMovesNothing();

private:
    // Opens the main window and makes it the active window, as it is after
    // the instructions have been dismissed.
    ui::frmMain& open();
};

void tst_frmMain::initTestCase()
{
    // As start-up does.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(platform::programFont());
}

void tst_frmMain::cleanup()
{
    testing::discardWindows();
}

ui::frmMain& tst_frmMain::open()
{
    ui::frmMain& form = testing::openMainWindow();
    [&] { QVERIFY(form.state() == Form::State::Shown); }();
    // Once the instructions go, the main window is the active one again.
    [&] { QVERIFY(QTest::qWaitForWindowActive(form.window(), 2000)); }();
    return form;
}

// ---------------------------------------------------------------- layout

void tst_frmMain::window()
{
    ui::frmMain& form = open();
    platform::FormWindow* window = form.window();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Vellorin"));

    QWidget* client = window->client();
    QMenuBar* menuBar = window->findChild<QMenuBar*>();
    QVERIFY(client);
    QVERIFY(menuBar);
    QCOMPARE(client->parentWidget(), window);
    QCOMPARE(menuBar->parentWidget(), window);

    // Client area 5295 x 6585 twips, below the menu bar.
    QCOMPARE(client->size(), QSize(pixels(5295), pixels(6585)));
    QCOMPARE(client->size(), QSize(353, 439));
    QVERIFY(menuBar->isVisible());
    QVERIFY(menuBar->height() > 0);
    QCOMPARE(menuBar->y(), 0);
    QCOMPARE(client->x(), 0);
    QCOMPARE(client->y(), menuBar->height());
    QCOMPARE(menuBar->geometry().bottom() + 1, client->y());
    // Window sizes are client-area sizes: the window is the client plus the bar.
    QCOMPARE(window->size(), QSize(353, 439 + menuBar->height()));

    // Centred on the screen when first shown.
    const QScreen* screen = window->screen();
    QVERIFY(screen);
    const QPoint offset = window->geometry().center() - screen->geometry().center();
    QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1,
             qPrintable(QStringLiteral("window centre is off the screen centre by (%1, %2)")
                            .arg(offset.x()).arg(offset.y())));

    // The window's own font: "MS Sans Serif" 8.25 regular, by its substitute.
    QCOMPARE(window->font().family(), platform::programFontFamily());
    QCOMPARE(window->font().pointSizeF(), 8.25);
    QCOMPARE(window->font().weight(), QFont::Normal);
}

void tst_frmMain::controls_data()
{
    QTest::addColumn<QString>("container");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QRect>("twips"); // left, top, width, height
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<double>("pointSize");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<int>("hAlign");

    const int left = Qt::AlignLeft;
    const int centre = Qt::AlignHCenter;
    const QString client = QStringLiteral("client");
    const QString fraInput = QStringLiteral("fraInput");
    const QString fraOutput = QStringLiteral("fraOutput");
    const QString none;

    // clang-format off
    QTest::newRow("fraInput")      << client    << Kind::Frame   << QRect(600, 120, 4095, 1695)   << "Input"                 << defaultColour << 8.25 << false << left;
    QTest::newRow("lblExplain")    << fraInput  << Kind::Label   << QRect(240, 240, 3705, 840)    << explainText             << red           << 8.25 << false << left;
    QTest::newRow("txtNum")        << fraInput  << Kind::TextBox << QRect(480, 1080, 1575, 420)   << "100"                   << defaultColour << 12.0 << true  << centre;
    QTest::newRow("cmdRun")        << fraInput  << Kind::Button  << QRect(2205, 960, 1455, 615)   << "Create Random Numbers" << defaultColour << 8.25 << false << centre;
    QTest::newRow("lblWorking")    << client    << Kind::Label   << QRect(2040, 1920, 1335, 375)  << "Working..."            << red           << 12.0 << true  << centre;
    QTest::newRow("fraOutput")     << client    << Kind::Frame   << QRect(240, 2280, 4815, 4095)  << "Results"               << defaultColour << 8.25 << false << left;
    QTest::newRow("lblExplTable1") << fraOutput << Kind::Label   << QRect(240, 360, 2055, 1215)   << explTable1Text          << blue          << 8.25 << false << left;
    QTest::newRow("shpTable1")     << fraOutput << Kind::Shape   << QRect(240, 1800, 2025, 1695)  << none                    << defaultColour << 0.0  << false << 0;
    QTest::newRow("lblAveIs")      << fraOutput << Kind::Label   << QRect(360, 2040, 705, 495)    << "Average:  "            << defaultColour << 8.25 << false << left;
    QTest::newRow("lblAve")        << fraOutput << Kind::Label   << QRect(1080, 2040, 1095, 495)  << none                    << defaultColour << 8.25 << false << centre;
    QTest::newRow("lblMaxIs")      << fraOutput << Kind::Label   << QRect(360, 2535, 705, 495)    << "Biggest:"              << defaultColour << 8.25 << false << left;
    QTest::newRow("lblMax")        << fraOutput << Kind::Label   << QRect(1080, 2535, 1095, 495)  << none                    << defaultColour << 8.25 << false << centre;
    QTest::newRow("lblMinIs")      << fraOutput << Kind::Label   << QRect(360, 3030, 705, 495)    << "Smallest:"             << defaultColour << 8.25 << false << left;
    QTest::newRow("lblMin")        << fraOutput << Kind::Label   << QRect(1080, 3030, 1095, 495)  << none                    << defaultColour << 8.25 << false << centre;
    QTest::newRow("lblExplTable2") << fraOutput << Kind::Label   << QRect(2640, 240, 2055, 1575)  << explTable2Text          << green         << 8.25 << false << left;
    QTest::newRow("shpTable2")     << fraOutput << Kind::Shape   << QRect(2640, 1800, 2025, 2055) << none                    << defaultColour << 0.0  << false << 0;
    QTest::newRow("lblN1")         << fraOutput << Kind::Label   << QRect(2880, 1920, 750, 405)   << "0.0 to 0.2:"           << defaultColour << 8.25 << false << left;
    QTest::newRow("lblN2")         << fraOutput << Kind::Label   << QRect(2880, 2325, 750, 405)   << "0.2 to 0.4:"           << defaultColour << 8.25 << false << left;
    QTest::newRow("lblN3")         << fraOutput << Kind::Label   << QRect(2880, 2730, 750, 405)   << "0.4 to 0.6:"           << defaultColour << 8.25 << false << left;
    QTest::newRow("lblN4")         << fraOutput << Kind::Label   << QRect(2880, 3135, 750, 405)   << "0.6 to 0.8:"           << defaultColour << 8.25 << false << left;
    QTest::newRow("lblN5")         << fraOutput << Kind::Label   << QRect(2880, 3540, 750, 405)   << "0.8 to 1.0:"           << defaultColour << 8.25 << false << left;
    QTest::newRow("lblN(1)")       << fraOutput << Kind::Label   << QRect(3840, 1920, 705, 405)   << none                    << defaultColour << 8.25 << false << left;
    QTest::newRow("lblN(2)")       << fraOutput << Kind::Label   << QRect(3840, 2325, 705, 405)   << none                    << defaultColour << 8.25 << false << left;
    QTest::newRow("lblN(3)")       << fraOutput << Kind::Label   << QRect(3840, 2730, 705, 405)   << none                    << defaultColour << 8.25 << false << left;
    QTest::newRow("lblN(4)")       << fraOutput << Kind::Label   << QRect(3840, 3135, 705, 405)   << none                    << defaultColour << 8.25 << false << left;
    QTest::newRow("lblN(5)")       << fraOutput << Kind::Label   << QRect(3840, 3540, 705, 405)   << none                    << defaultColour << 8.25 << false << left;
    // clang-format on
}

void tst_frmMain::controls()
{
    QFETCH(QString, container);
    QFETCH(Kind, kind);
    QFETCH(QRect, twips);
    QFETCH(QString, caption);
    QFETCH(QColor, colour);
    QFETCH(double, pointSize);
    QFETCH(bool, bold);
    QFETCH(int, hAlign);

    ui::frmMain& form = open();
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    QWidget* widget = control(form, name);
    QVERIFY2(widget, "the window offers no such control");
    QCOMPARE(widget->objectName(), name);
    QCOMPARE(form.window()->findChildren<QWidget*>(name).size(), 1);

    // Container and geometry.
    QWidget* expectedContainer = ::container(form, container);
    QVERIFY(expectedContainer);
    QCOMPARE(widget->parentWidget(), expectedContainer);
    QVERIFY2(wholePixels(twips), "the table row is not a whole number of pixels");
    QCOMPARE(widget->geometry(), pixels(twips));

    // Every control is enabled; all but the "Working..." label are shown.
    QVERIFY(widget->isEnabled());
    QCOMPARE(widget->isVisible(), name != QLatin1String("lblWorking"));

    if (kind == Kind::Shape) {
        // Outline only, in the window text colour; pure drawing.
        QVERIFY(qobject_cast<platform::ShapeRectangle*>(widget));
        QCOMPARE(widget->palette().color(QPalette::WindowText),
                 QApplication::palette(widget).color(QPalette::WindowText));
        QVERIFY(widget->testAttribute(Qt::WA_TransparentForMouseEvents));
        QCOMPARE(widget->focusPolicy(), Qt::NoFocus);
        return;
    }

    // Caption or text, text colour and alignment.
    QPalette::ColorRole role = QPalette::WindowText;
    Qt::Alignment alignment;
    switch (kind) {
    case Kind::Label: {
        auto* label = qobject_cast<QLabel*>(widget);
        QVERIFY(label);
        QCOMPARE(label->text(), caption);
        QVERIFY(label->wordWrap());
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        QCOMPARE(label->alignment() & Qt::AlignVertical_Mask, Qt::AlignTop);
        alignment = label->alignment();
        break;
    }
    case Kind::Frame: {
        auto* frame = qobject_cast<platform::FrameBox*>(widget);
        QVERIFY(frame);
        QCOMPARE(frame->title(), caption);
        alignment = Qt::AlignLeft;
        break;
    }
    case Kind::TextBox: {
        auto* box = qobject_cast<QLineEdit*>(widget);
        QVERIFY(box);
        QCOMPARE(box->text(), caption);
        QVERIFY(box->maxLength() >= 10'000'000); // no length limit to speak of
        role = QPalette::Text;
        alignment = box->alignment();
        break;
    }
    case Kind::Button: {
        auto* button = qobject_cast<platform::CommandButton*>(widget);
        QVERIFY(button);
        QCOMPARE(button->text(), caption);
        role = QPalette::ButtonText;
        alignment = Qt::AlignHCenter; // CommandButton centres its caption
        break;
    }
    case Kind::Shape:
        break;
    }
    const QColor expectedColour = colour.isValid() ? colour : QApplication::palette(widget).color(role);
    QCOMPARE(widget->palette().color(role), expectedColour);
    QCOMPARE(int(alignment & Qt::AlignHorizontal_Mask), hAlign);

    // Font: the bundled substitute face at the table's size and weight.
    const QFont font = widget->font();
    QCOMPARE(font.family(), platform::programFontFamily());
    QCOMPARE(font.pointSizeF(), pointSize);
    QCOMPARE(font.weight(), bold ? QFont::Bold : QFont::Normal);
    QCOMPARE(font.italic(), false);
}

void tst_frmMain::everyControlIsInTheTable()
{
    // No control beyond the table (and the line, tested on its own) sits
    // in the client area.
    ui::frmMain& form = open();
    QStringList unknown;
    const QList<QWidget*> children = form.window()->client()->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (!control(form, child->objectName()) || control(form, child->objectName()) != child)
            unknown << child->objectName() + QLatin1Char('(') + QLatin1String(child->metaObject()->className())
                    + QLatin1Char(')');
    }
    QVERIFY2(unknown.isEmpty(), qPrintable(unknown.join(QStringLiteral(", "))));
    QCOMPARE(children.size(), 27);
    QVERIFY(form.tmrWorking);
    QCOMPARE(form.tmrWorking->objectName(), QStringLiteral("tmrWorking"));
}

void tst_frmMain::line()
{
    ui::frmMain& form = open();
    platform::LineShape* line = form.Line1;
    QVERIFY(line);
    QCOMPARE(line->objectName(), QStringLiteral("Line1"));
    QCOMPARE(line->parentWidget(), static_cast<QWidget*>(form.fraOutput));
    QCOMPARE(line->from(), QPoint(pixels(2400), pixels(240)));
    QCOMPARE(line->to(), QPoint(pixels(2400), pixels(3960)));
    QCOMPARE(line->color(), grey);
    QVERIFY(line->isVisible());
    // The widget covers both end points, so all of the line is drawn.
    QVERIFY(line->geometry().contains(line->from()));
    QVERIFY(line->geometry().contains(line->to()));
    QVERIFY(line->testAttribute(Qt::WA_TransparentForMouseEvents));
    QCOMPARE(line->focusPolicy(), Qt::NoFocus);
}

void tst_frmMain::controlArray()
{
    ui::frmMain& form = open();
    QCOMPARE(form.lblN(0), nullptr);
    QCOMPARE(form.lblN(6), nullptr);
    QCOMPARE(form.lblN(-1), nullptr);
    for (int index = 1; index <= 5; ++index) {
        QLabel* element = form.lblN(index);
        QVERIFY2(element, qPrintable(QStringLiteral("lblN(%1)").arg(index)));
        QCOMPARE(element->objectName(), QStringLiteral("lblN(%1)").arg(index));
        // Element i stands in row i of the bin table, beside caption lblNi.
        QCOMPARE(element->y(), form.lblNCaption[index - 1]->y());
        for (int other = 1; other < index; ++other)
            QVERIFY(form.lblN(other) != element);
    }
    // The rows of the bin table are 405 twips apart, those of the summary 495.
    for (int index = 2; index <= 5; ++index)
        QCOMPARE(form.lblN(index)->y() - form.lblN(index - 1)->y(), pixels(405));
    QCOMPARE(form.lblMax->y() - form.lblAve->y(), pixels(495));
    QCOMPARE(form.lblMin->y() - form.lblMax->y(), pixels(495));
}

void tst_frmMain::menus()
{
    ui::frmMain& form = open();
    QMenuBar* bar = form.window()->findChild<QMenuBar*>();
    QVERIFY(bar);
    QVERIFY(!bar->isNativeMenuBar());

    const QList<QAction*> top = bar->actions();
    QCOMPARE(top.size(), 2);
    QCOMPARE(top[0]->text(), QStringLiteral("&File"));
    QCOMPARE(top[0]->menu(), form.mnuFile);
    QCOMPARE(top[1]->text(), QStringLiteral("&Help"));
    QCOMPARE(top[1]->menu(), form.mnuHelp);

    struct Entry {
        QAction* action;
        QString caption;
        QKeySequence shortcut;
    };
    const QList<QList<Entry>> expected{
        {{form.mnuFileExit, QStringLiteral("E&xit"), {}}},
        {{form.mnuHelpInstructions, QStringLiteral("&Instructions"), QKeySequence(Qt::SHIFT | Qt::Key_F1)},
         {form.mnuHelpHelp, QStringLiteral("&Help"), QKeySequence(Qt::Key_F1)}},
    };
    for (int m = 0; m < 2; ++m) {
        QMenu* menu = top[m]->menu();
        const QList<QAction*> entries = menu->actions();
        QCOMPARE(entries.size(), expected[m].size());
        for (int e = 0; e < entries.size(); ++e) {
            QAction* entry = entries[e];
            QCOMPARE(entry, expected[m][e].action);
            QCOMPARE(entry->text(), expected[m][e].caption);
            QCOMPARE(entry->shortcut(), expected[m][e].shortcut);
            QCOMPARE(entry->shortcuts().size(), expected[m][e].shortcut.isEmpty() ? 0 : 1);
            QVERIFY(!entry->isSeparator());
            QVERIFY(!entry->isCheckable());
            QVERIFY(!entry->isChecked());
            QVERIFY(entry->isEnabled());
            QVERIFY(entry->isVisible());
            QVERIFY(!entry->menu());
        }
    }
    for (QAction* menuAction : top) {
        QVERIFY(!menuAction->isSeparator());
        QVERIFY(!menuAction->isCheckable());
        QVERIFY(menuAction->isEnabled());
        QVERIFY(menuAction->isVisible());
        QVERIFY(menuAction->shortcut().isEmpty());
    }
    QCOMPARE(form.mnuFile->objectName(), QStringLiteral("mnuFile"));
    QCOMPARE(form.mnuHelp->objectName(), QStringLiteral("mnuHelp"));
    QCOMPARE(form.mnuFileExit->objectName(), QStringLiteral("mnuFileExit"));
    QCOMPARE(form.mnuHelpInstructions->objectName(), QStringLiteral("mnuHelpInstructions"));
    QCOMPARE(form.mnuHelpHelp->objectName(), QStringLiteral("mnuHelpHelp"));
}

// -------------------------------------------------------------- keyboard

void tst_frmMain::focusAtOpen()
{
    ui::frmMain& form = open();
    QCOMPARE(form.window()->focusWidget(), form.txtNum);
    QTRY_COMPARE(QApplication::focusWidget(), form.txtNum);
}

void tst_frmMain::tabOrder()
{
    ui::frmMain& form = open();
    QTRY_COMPARE(QApplication::focusWidget(), form.txtNum);

    // Only the box and the button take the focus.
    QList<QWidget*> focusable;
    for (QWidget* child : form.window()->findChildren<QWidget*>()) {
        if ((child->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && child->isVisibleTo(form.window()))
            focusable << child;
    }
    QCOMPARE(focusable.size(), 2);
    QVERIFY(focusable.contains(form.txtNum));
    QVERIFY(focusable.contains(form.cmdRun));

    QTest::keyClick(form.txtNum, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), form.cmdRun);
    QTest::keyClick(form.cmdRun, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), form.txtNum);
    QTest::keyClick(form.txtNum, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), form.cmdRun);
    QTest::keyClick(form.cmdRun, Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_COMPARE(QApplication::focusWidget(), form.txtNum);
}

void tst_frmMain::enterRuns_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
    QTest::newRow("Enter (keypad)") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
}

void tst_frmMain::enterRuns()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);

    testing::RunStandIns standIns;
    testing::ScriptedPrompt& prompt = standIns.prompt;

    ui::frmMain& form = open();
    QTRY_COMPARE(QApplication::focusWidget(), form.txtNum);

    // A click first, for the results to compare with: the clock is fixed,
    // so the same size gives the same draws.
    QSignalSpy clicks(form.cmdRun, &QPushButton::clicked);
    form.txtNum->setText(QStringLiteral("2500"));
    QTest::mouseClick(form.cmdRun, Qt::LeftButton);
    QCOMPARE(clicks.size(), 1);
    const QStringList byClick = resultTexts(form);
    for (const QString& text : byClick)
        QVERIFY(!text.isEmpty());
    QCOMPARE(form.txtNum->text(), QStringLiteral("2,500"));

    // Now type the size into the box and press Enter there.
    form.txtNum->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), form.txtNum);
    form.ClearLabels();
    form.txtNum->selectAll();
    QTest::keyClicks(form.txtNum, QStringLiteral("2500"));
    QCOMPARE(form.txtNum->text(), QStringLiteral("2500"));
    QTest::keyClick(form.txtNum, Qt::Key(key), modifiers);

    QCOMPARE(clicks.size(), 2);
    QCOMPARE(resultTexts(form), byClick);
    QCOMPARE(form.txtNum->text(), QStringLiteral("2,500"));
    QVERIFY(prompt.messages.isEmpty());
    QVERIFY(!form.tmrWorking->isActive());
    QVERIFY(form.lblWorking->isHidden());
    QCOMPARE(form.state(), Form::State::Shown);
}

void tst_frmMain::escapeDoesNothing()
{
    testing::RunStandIns standIns;

    ui::frmMain& form = open();
    QTRY_COMPARE(QApplication::focusWidget(), form.txtNum);
    // Results on the window, so that a stray run or clear would show.
    QTest::mouseClick(form.cmdRun, Qt::LeftButton);
    form.txtNum->setText(QStringLiteral("12345"));
    form.txtNum->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), form.txtNum);
    const QStringList results = resultTexts(form);
    QVERIFY(!results.first().isEmpty());

    QSignalSpy clicks(form.cmdRun, &QPushButton::clicked);
    std::vector<std::unique_ptr<QSignalSpy>> actionSpies;
    for (QAction* action : {form.mnuFileExit, form.mnuHelpInstructions, form.mnuHelpHelp})
        actionSpies.push_back(std::make_unique<QSignalSpy>(action, &QAction::triggered));
    const auto check = [&](QWidget* focus) {
        QCOMPARE(form.state(), Form::State::Shown);
        QVERIFY(form.window()->isVisible());
        QCOMPARE(form.txtNum->text(), QStringLiteral("12345"));
        QCOMPARE(resultTexts(form), results);
        QCOMPARE(clicks.size(), 0);
        for (const auto& spy : actionSpies)
            QCOMPARE(spy->size(), 0);
        QVERIFY(!dialogShown());
        QCOMPARE(QApplication::focusWidget(), focus);
        QVERIFY(form.lblWorking->isHidden());
    };

    QTest::keyClick(form.txtNum, Qt::Key_Escape);
    QTest::qWait(20);
    check(form.txtNum);
    if (QTest::currentTestFailed())
        return;

    form.cmdRun->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), form.cmdRun);
    QTest::keyClick(form.cmdRun, Qt::Key_Escape);
    QTest::qWait(20);
    check(form.cmdRun);
}

void tst_frmMain::helpKeys_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("shift");
    QTest::newRow("F1 in txtNum") << QStringLiteral("txtNum") << false;
    QTest::newRow("F1 on cmdRun") << QStringLiteral("cmdRun") << false;
    QTest::newRow("Shift+F1 in txtNum") << QStringLiteral("txtNum") << true;
    QTest::newRow("Shift+F1 on cmdRun") << QStringLiteral("cmdRun") << true;
}

void tst_frmMain::helpKeys()
{
    QFETCH(QString, source);
    QFETCH(bool, shift);

    testing::RunStandIns standIns;

    ui::frmMain& form = open();
    QWidget* focus = control(form, source);
    QVERIFY(focus);
    focus->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), focus);

    QSignalSpy helpSpy(form.mnuHelpHelp, &QAction::triggered);
    QSignalSpy instructionsSpy(form.mnuHelpInstructions, &QAction::triggered);
    QSignalSpy exitSpy(form.mnuFileExit, &QAction::triggered);
    QSignalSpy clicks(form.cmdRun, &QPushButton::clicked);

    {
        DialogDismisser dismisser;
        QTest::keyClick(focus, Qt::Key_F1, shift ? Qt::ShiftModifier : Qt::NoModifier);
        // If nothing opened, let the dismisser look once before it goes.
        if (!dismisser.fired)
            QCoreApplication::processEvents();
        QVERIFY(dismisser.fired);
        QCOMPARE(dismisser.helpShown, !shift);
        QCOMPARE(dismisser.instructionsShown, shift);
        QVERIFY2(dismisser.shownModally, "the dialog was not shown modally");
    }

    QCOMPARE(helpSpy.size(), shift ? 0 : 1);
    QCOMPARE(instructionsSpy.size(), shift ? 1 : 0);
    QCOMPARE(exitSpy.size(), 0);
    QCOMPARE(clicks.size(), 0);
    QVERIFY(!dialogShown());
    QCOMPARE(form.state(), Form::State::Shown);
}

void tst_frmMain::menuAccessKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("menu");
    QTest::newRow("Alt+F") << int(Qt::Key_F) << QStringLiteral("mnuFile");
    QTest::newRow("Alt+H") << int(Qt::Key_H) << QStringLiteral("mnuHelp");
}

void tst_frmMain::menuAccessKeys()
{
    QFETCH(int, key);
    QFETCH(QString, menu);

    ui::frmMain& form = open();
    QTRY_COMPARE(QApplication::focusWidget(), form.txtNum);
    QMenu* expected = menu == QLatin1String("mnuFile") ? form.mnuFile : form.mnuHelp;
    QMenu* other = expected == form.mnuFile ? form.mnuHelp : form.mnuFile;
    QSignalSpy exitSpy(form.mnuFileExit, &QAction::triggered);
    QSignalSpy helpSpy(form.mnuHelpHelp, &QAction::triggered);
    QSignalSpy instructionsSpy(form.mnuHelpInstructions, &QAction::triggered);

    QVERIFY(!expected->isVisible());
    QTest::keyClick(form.txtNum, Qt::Key(key), Qt::AltModifier);
    QTRY_VERIFY(expected->isVisible());
    QVERIFY(!other->isVisible());
    QCOMPARE(QApplication::activePopupWidget(), expected);

    QTest::keyClick(expected, Qt::Key_Escape);
    QTRY_VERIFY(!expected->isVisible());
    QCOMPARE(exitSpy.size(), 0);
    QCOMPARE(helpSpy.size(), 0);
    QCOMPARE(instructionsSpy.size(), 0);
    QCOMPARE(form.state(), Form::State::Shown);
    QCOMPARE(form.txtNum->text(), QStringLiteral("100"));
}

// ----------------------------------------------------------- start state

void tst_frmMain::startState()
{
    ui::frmMain& form = open();
    QCOMPARE(form.txtNum->text(), QStringLiteral("100"));
    for (QLabel* label : resultLabels(form))
        QVERIFY2(label->text().isEmpty(), qPrintable(label->objectName()));
    QVERIFY(form.lblWorking->isHidden());
    QVERIFY(!form.lblWorking->isVisible());
    QCOMPARE(form.lblWorking->text(), QStringLiteral("Working..."));
    QVERIFY(form.tmrWorking);
    QVERIFY(!form.tmrWorking->isActive());
    QCOMPARE(form.tmrWorking->interval(), 500);
    QVERIFY(!form.tmrWorking->isSingleShot());
    // Idle: no tick comes, the label stays hidden.
    QTest::qWait(700);
    QVERIFY(form.lblWorking->isHidden());
}

// ------------------------------------------------------------- indicator

void tst_frmMain::tickFlipsLabel()
{
    ui::frmMain& form = open();
    QVERIFY(form.lblWorking->isHidden());
    // The timer's tick reaches tmrWorking_Timer.
    QVERIFY(QMetaObject::invokeMethod(form.tmrWorking, "timeout", Qt::DirectConnection));
    QVERIFY(!form.lblWorking->isHidden());
    QVERIFY(form.lblWorking->isVisible());
    QVERIFY(QMetaObject::invokeMethod(form.tmrWorking, "timeout", Qt::DirectConnection));
    QVERIFY(form.lblWorking->isHidden());
    // And the handler itself only flips.
    form.working->tmrWorking_Timer();
    QVERIFY(!form.lblWorking->isHidden());
    form.working->tmrWorking_Timer();
    QVERIFY(form.lblWorking->isHidden());
    QCOMPARE(form.lblWorking->text(), QStringLiteral("Working..."));
}

void tst_frmMain::blinksWhilePromptOpen()
{
    testing::ScriptedPrompt prompt({QStringLiteral("500")});
    testing::FixedClock clock;
    testing::FixedSeparators separators;
    testing::ScopedSeam promptSeam(platform::inputPrompt, static_cast<platform::InputPrompt&>(prompt));
    testing::ScopedSeam clockSeam(platform::timeOfDay, static_cast<platform::Clock&>(clock));
    testing::ScopedSeam separatorsSeam(platform::numberLocale, static_cast<platform::NumberLocale&>(separators));

    ui::frmMain& form = open();
    form.txtNum->setText(QStringLiteral("abc"));

    // After each tick: was the label hidden?
    QList<bool> hiddenAfterTick;
    bool timerActiveWhileOpen = false;
    bool hiddenWhenOpened = false;
    QObject context;
    prompt.whileOpen = [&] {
        timerActiveWhileOpen = form.tmrWorking->isActive();
        hiddenWhenOpened = form.lblWorking->isHidden();
        connect(form.tmrWorking, &QTimer::timeout, &context,
                [&] { hiddenAfterTick << form.lblWorking->isHidden(); });
        QElapsedTimer elapsed;
        elapsed.start();
        // Real ticks, delivered while the prompt is "open".
        if (!QTest::qWaitFor([&] { return hiddenAfterTick.size() >= 3; }, 5000))
            return; // checked below
        // Half a second apart, give or take the timer's slack.
        const qint64 ms = elapsed.elapsed();
        if (hiddenAfterTick.size() >= 3 && (ms < 1300 || ms > 2500))
            qWarning("three ticks took %lld ms", ms);
    };

    QTest::mouseClick(form.cmdRun, Qt::LeftButton);

    QCOMPARE(prompt.messages.size(), 1);
    QVERIFY(timerActiveWhileOpen);
    QVERIFY(hiddenWhenOpened);
    QCOMPARE(hiddenAfterTick, (QList<bool>{false, true, false}));
    // The run went on and ended: label hidden, timer off.
    QCOMPARE(form.txtNum->text(), QStringLiteral("500"));
    QVERIFY(!form.lblAve->text().isEmpty());
    QVERIFY(form.lblWorking->isHidden());
    QVERIFY(!form.tmrWorking->isActive());
}

void tst_frmMain::shortRunNeverShowsLabel()
{
    testing::StandIns standIns;
    testing::ScriptedPrompt& prompt = standIns.prompt;
    testing::CountingPump& pump = standIns.pump;

    ui::frmMain& form = open();
    VisibilityWatch watch(form.lblWorking);
    // Let a tick fall due while the run is in the button's handler, to be
    // sure nothing delivers it.
    form.txtNum->setText(QStringLiteral("109999"));
    QTest::mouseClick(form.cmdRun, Qt::LeftButton);

    QCOMPARE(pump.yields, 0);
    QVERIFY(prompt.messages.isEmpty());
    QCOMPARE(form.txtNum->text(), QStringLiteral("109,999"));
    QVERIFY(!form.lblAve->text().isEmpty());
    QCOMPARE(watch.count(QEvent::Show), 0);
    QVERIFY(form.lblWorking->isHidden());
    QVERIFY(!form.tmrWorking->isActive());
    // Nothing comes later either.
    QTest::qWait(700);
    QCOMPARE(watch.count(QEvent::Show), 0);
    QVERIFY(form.lblWorking->isHidden());
}

void tst_frmMain::longRunChangesLabelOnlyAtYields_data()
{
    // At which yields the run is held until a tick is due (and for how much
    // longer), so that ticks reach the label; and whether the label is to
    // be shown when the run ends. The last yield is held once more if the
    // label is not in the wanted state by then, so the end state does not
    // depend on how fast the machine draws.
    QTest::addColumn<QList<int>>("holdAt");
    QTest::addColumn<int>("extraMs");
    QTest::addColumn<bool>("shownAtEnd");
    QTest::newRow("ends while shown") << QList<int>{1} << 100 << true;
    QTest::newRow("ends while hidden") << QList<int>{1, 2} << 100 << false;
    // Two ticks fall due during one hold: they merge into one change.
    QTest::newRow("overdue ticks merge") << QList<int>{1} << 650 << true;
    QTest::newRow("several holds") << QList<int>{2, 5, 8} << 100 << true;
}

void tst_frmMain::longRunChangesLabelOnlyAtYields()
{
    QFETCH(QList<int>, holdAt);
    QFETCH(int, extraMs);
    QFETCH(bool, shownAtEnd);

    testing::RunStandIns standIns;
    TrackingPump pump;
    testing::ScopedSeam pumpSeam(platform::eventPump, static_cast<platform::EventPump&>(pump));

    ui::frmMain& form = open();
    constexpr int lastYield = 9; // 1,000,000 draws: a yield after every 110,000
    const auto holdUntilTickDue = [&](int extra) {
        QThread::msleep(std::max(0, form.tmrWorking->remainingTime()) + extra);
    };
    bool timerActiveAtYields = true;
    pump.counting.atYield = [&](int yield) {
        timerActiveAtYields = timerActiveAtYields && form.tmrWorking->isActive();
        if (holdAt.contains(yield))
            holdUntilTickDue(extraMs);
        if (yield == lastYield && form.lblWorking->isHidden() == shownAtEnd)
            holdUntilTickDue(100);
    };
    bool runEnded = false;
    VisibilityWatch watch(
        form.lblWorking, [&] { return pump.inside; }, [&] { return runEnded ? -1 : pump.counting.yields; });
    QSignalSpy ticks(form.tmrWorking, &QTimer::timeout);

    form.txtNum->setText(QStringLiteral("1000000"));
    QTest::mouseClick(form.cmdRun, Qt::LeftButton);
    runEnded = true;

    QCOMPARE(pump.counting.yields, lastYield);
    QVERIFY(timerActiveAtYields);
    QCOMPARE(form.txtNum->text(), QStringLiteral("1,000,000"));
    QVERIFY(!form.lblN(5)->text().isEmpty());

    // Every change but the run's final hide happened inside a yield, and
    // at most one change per yield, however many ticks fell due.
    QList<int> changesPerYield(lastYield + 1, 0);
    std::vector<VisibilityWatch::Change> inside;
    std::vector<VisibilityWatch::Change> outside;
    for (const VisibilityWatch::Change& change : watch.changes) {
        (change.insideYield ? inside : outside).push_back(change);
        if (change.insideYield)
            ++changesPerYield[change.yield];
    }
    for (int yield = 0; yield < changesPerYield.size(); ++yield)
        QVERIFY2(changesPerYield[yield] <= 1, qPrintable(QStringLiteral("yield %1 changed the label %2 times")
                                                                .arg(yield).arg(changesPerYield[yield])));
    for (int yield : holdAt)
        QVERIFY2(changesPerYield[yield] == 1,
                 qPrintable(QStringLiteral("the tick due at yield %1 did not reach the label").arg(yield)));
    // Each tick flips the label: show, hide, show, ...
    QCOMPARE(int(inside.size()), ticks.size());
    for (std::size_t i = 0; i < inside.size(); ++i)
        QCOMPARE(inside[i].type, i % 2 == 0 ? QEvent::Show : QEvent::Hide);
    const bool labelShownAtEnd = inside.size() % 2 == 1;
    QCOMPARE(labelShownAtEnd, shownAtEnd);
    if (shownAtEnd) {
        // The run's own end hides it, after the last yield.
        QCOMPARE(int(outside.size()), 1);
        QCOMPARE(outside[0].type, QEvent::Hide);
        QCOMPARE(outside[0].yield, lastYield);
    } else {
        QCOMPARE(int(outside.size()), 0);
    }

    // After the run: hidden, and the timer is off.
    QVERIFY(form.lblWorking->isHidden());
    QVERIFY(!form.tmrWorking->isActive());
    QTest::qWait(700);
    QVERIFY(form.lblWorking->isHidden());
}

// --------------------------------------------------------------- resizing

void tst_frmMain::resizingMovesNothing()
{
    ui::frmMain& form = open();
    platform::FormWindow* window = form.window();
    QWidget* client = window->client();

    const auto geometries = [&] {
        QMap<QString, QRect> map;
        map.insert(QStringLiteral("client"), client->geometry());
        for (QWidget* child : client->findChildren<QWidget*>())
            map.insert(child->objectName(), child->geometry());
        return map;
    };
    const QMap<QString, QRect> before = geometries();
    QCOMPARE(before.size(), 28);
    const QSize original = window->size();

    const auto unchanged = [&](const char* step) {
        const QMap<QString, QRect> now = geometries();
        for (auto it = before.begin(); it != before.end(); ++it)
            QVERIFY2(now.value(it.key()) == it.value(),
                     qPrintable(QStringLiteral("%1: %2 moved").arg(QLatin1String(step), it.key())));
    };

    window->resize(original + QSize(300, 250));
    QTRY_COMPARE(window->size(), original + QSize(300, 250));
    unchanged("bigger");
    if (QTest::currentTestFailed())
        return;

    window->resize(original - QSize(200, 250));
    QTRY_COMPARE(window->size(), original - QSize(200, 250));
    unchanged("smaller");
    if (QTest::currentTestFailed())
        return;

    window->showMaximized();
    QTRY_VERIFY(window->isMaximized());
    QTest::qWait(20);
    unchanged("maximised");
    if (QTest::currentTestFailed())
        return;

    window->showNormal();
    QTRY_VERIFY(!window->isMaximized());
    QTest::qWait(20);
    unchanged("restored");
    // The menu bar keeps spanning the window.
    QTRY_COMPARE(window->findChild<QMenuBar*>()->width(), window->width());
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
