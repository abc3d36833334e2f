// Tests of the instructions and help dialogs: their windows, controls and
// texts as designed, Close worked by Enter, Esc, Space and the mouse, the
// focus, and where each dialog stands when it comes on screen.
#include "platform/Controls.h"
#include "platform/FormWindow.h"
#include "support/MainWindowFixture.h"
#include "support/WakeEventLoop.h"
#include "ui/Forms.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

using namespace vellorin;
using platform::Form;
using platform::FormWindow;
using State = platform::Form::State;

namespace {

// The layouts are designed in twips; at 96 dots per inch 15 make a pixel,
// and every figure of the two dialogs is a whole number of pixels.
constexpr int twipsPerPixel = 15;

QRect fromTwips(int left, int top, int width, int height)
{
    return {left / twipsPerPixel, top / twipsPerPixel, width / twipsPerPixel, height / twipsPerPixel};
}

Form& dialog(const QString& name)
{
    if (name == QLatin1String("frmInstructions"))
        return *forms::frmInstructions;
    return *forms::frmHelp;
}

QPushButton* closeButton(const QString& name)
{
    return name == QLatin1String("frmInstructions") ? forms::frmInstructions->cmdClose : forms::frmHelp->cmdClose;
}

QString captionOf(const QWidget* control)
{
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (auto* frame = qobject_cast<const platform::FrameBox*>(control))
        return frame->title();
    return {};
}

// Shows the dialog modally, as the main window's menu does, and runs
// `inside` in its modal loop. Should `inside` leave the dialog on screen it
// is hidden afterwards, so a failing test ends rather than hangs; the
// result says whether `inside` took the dialog off screen itself.
bool showModalThen(Form& form, const std::function<void()>& inside)
{
    // The dialogs are opened from the main window, the active window then.
    FormWindow* const mainWindow = forms::frmMain->window();
    mainWindow->activateWindow();
    if (!QTest::qWaitFor([&] { return mainWindow->isActiveWindow(); }))
        return false;

    bool leftOnScreen = false;
    QTimer::singleShot(0, &form, [&] {
        inside();
        if (form.state() == State::Shown) {
            leftOnScreen = true;
            form.hide();
        }
        testing::wakeEventLoop();
    });
    form.showModal();
    return !leftOnScreen;
}

// Where the dialog's client area stands on the screen.
QPoint clientTopLeft(const FormWindow* window)
{
    return window->client()->mapToGlobal(QPoint(0, 0));
}

// The pixels the label's text inks when drawn as the label draws it,
// wrapped at the label's width but with no limit below.
QRect inkedArea(const QLabel* label)
{
    const QRect box = label->contentsRect();
    QImage image(box.width() * 2, box.height() * 4 + 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setFont(label->font());
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, 0, box.width(), image.height()), int(label->alignment()) | Qt::TextWordWrap,
                         label->text());
    }
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

const QString instructionsText = QStringLiteral(
    "This program is a simple statistical study on random numbers.  It creates several random numbers, "
    "analyzes them and then shows the results.  The goal is to see the effect of the number of random "
    "numbers generated on the results.  For more information see Help.");

enum class Input { Enter, KeypadEnter, Esc, Space, MouseClick };

struct LabelRow {
    const char* dialog;
    const char* name;
};

// Every label of both dialogs, for the checks common to all labels.
const LabelRow allLabels[] = {
    {"frmInstructions", "lblInst"}, {"frmInstructions", "lblInstructions"}, {"frmInstructions", "lblByMe"},
    {"frmHelp", "lblFAQ"},          {"frmHelp", "lblQ1"},                   {"frmHelp", "lblA1"},
    {"frmHelp", "lblQ2"},           {"frmHelp", "lblA2"},                   {"frmHelp", "lblQ3"},
    {"frmHelp", "lblA31"},          {"frmHelp", "lblA32"},                  {"frmHelp", "lblA33"},
    {"frmHelp", "lblA34"},          {"frmHelp", "lblA35"},                  {"frmHelp", "lblA36"},
};

} // namespace

Q_DECLARE_METATYPE(Input)

class tst_Dialogs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void window_data();
    void window();
    void controls_data();
    void controls();
    void labelsAreFixedBoxes_data();
    void labelsAreFixedBoxes();
    void textFitsItsBox_data();
    void textFitsItsBox();
    void closeHidesAndKeepsLoaded_data();
    void closeHidesAndKeepsLoaded();
    void closeIsTheOnlyFocus_data();
    void closeIsTheOnlyFocus();
    void placement_data();
    void placement();

private:
    static void labelRows();
};

void tst_Dialogs::init()
{
    // The dialogs are only ever shown over the main window, which start-up
    // brings up together with the instructions (dismissed here with Close).
    testing::openMainWindow();
    QCOMPARE(forms::frmInstructions->state(), State::Hidden);
}

void tst_Dialogs::cleanup()
{
    testing::discardWindows();
}

void tst_Dialogs::window_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSize>("clientSize");
    QTest::newRow("frmInstructions") << QStringLiteral("frmInstructions") << QStringLiteral("Instructions")
                                     << fromTwips(0, 0, 5280, 2160).size();
    QTest::newRow("frmHelp") << QStringLiteral("frmHelp") << QStringLiteral("Help")
                             << fromTwips(0, 0, 5535, 6645).size();
}

void tst_Dialogs::window()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QSize, clientSize);
    Form& form = dialog(name);

    QSize seenClient, seenWindow;
    QString seenTitle;
    bool hasMenuBar = true;
    Qt::WindowModality modality = Qt::NonModal;
    QVERIFY(showModalThen(form, [&] {
        seenTitle = form.window()->windowTitle();
        seenClient = form.window()->client()->size();
        seenWindow = form.window()->size();
        hasMenuBar = form.window()->findChild<QMenuBar*>() != nullptr;
        modality = form.window()->windowModality();
        QTest::keyClick(form.window()->windowHandle(), Qt::Key_Escape);
    }));

    QCOMPARE(seenTitle, title);
    QCOMPARE(seenClient, clientSize);
    // No menu bar: the window is its client area.
    QVERIFY(!hasMenuBar);
    QCOMPARE(seenWindow, clientSize);
    QCOMPARE(modality, Qt::ApplicationModal);
}

void tst_Dialogs::controls_data()
{
    QTest::addColumn<QString>("dialogName");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container"); // empty: the window's client area
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QColor>("colour"); // invalid: the window's own text colour
    QTest::addColumn<double>("pointSize");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<int>("alignment"); // horizontal; 0 where the control has none to set

    const QString window;
    const QColor standard;
    const QColor blue(0, 0, 255), lightBlue(128, 128, 255), green(0, 128, 0);
    const int left = Qt::AlignLeft, centre = Qt::AlignHCenter;

    const auto row = [](const char* dialogName, const char* name, const QString& container, QRect geometry,
                        const QString& caption, const QColor& colour, double pointSize, bool bold, int alignment) {
        QTest::addRow("%s.%s", dialogName, name)
            << QString::fromLatin1(dialogName) << QString::fromLatin1(name) << container << geometry << caption
            << colour << pointSize << bold << alignment;
    };

    const char* const inst = "frmInstructions";
    row(inst, "lblInst", window, fromTwips(255, 120, 1560, 375), QStringLiteral("Instructions:"), blue, 13.5,
        false, left);
    row(inst, "lblInstructions", window, fromTwips(240, 495, 4800, 855), instructionsText, standard, 8.25, false,
        left);
    row(inst, "frmByMe", window, fromTwips(240, 1350, 3615, 735), QStringLiteral("Produced By:"), standard, 8.25,
        false, 0);
    row(inst, "lblByMe", QStringLiteral("frmByMe"), fromTwips(240, 240, 3135, 375),
        QStringLiteral("The Vellorin Team"), lightBlue, 17.25, false, centre);
    row(inst, "cmdClose", window, fromTwips(3960, 1560, 1215, 495), QStringLiteral("Close"), standard, 8.25, false,
        0);

    const char* const help = "frmHelp";
    const QString frame = QStringLiteral("fraHelp");
    row(help, "fraHelp", window, fromTwips(120, 120, 5295, 5895), QStringLiteral("Vellorin Help:"), blue, 9.75,
        true, 0);
    row(help, "lblFAQ", frame, fromTwips(240, 360, 4800, 300), QStringLiteral("Frequently Asked Questions:"),
        lightBlue, 8.25, true, left);
    row(help, "lblQ1", frame, fromTwips(240, 660, 4800, 300), QStringLiteral("Q: What is a random Number?"), green,
        8.25, false, left);
    row(help, "lblA1", frame, fromTwips(240, 960, 4800, 540),
        QStringLiteral("A: A number between 0 and 1 chosen randomly. This means that none of the numbers have "
                       "more chance than the others."),
        standard, 8.25, false, left);
    row(help, "lblQ2", frame, fromTwips(240, 1500, 4800, 300),
        QStringLiteral("Q: Why does a \"Bad Number\" error message appear?"), green, 8.25, false, left);
    // Three pieces joined by CR LF: the first sentence, the rest, and the
    // empty remainder after the closing line break.
    row(help, "lblA2", frame, fromTwips(240, 1800, 4800, 735),
        QStringLiteral("A: There are limits for the number you give:") + QStringLiteral("\r\n")
            + QStringLiteral("It has to be a positive integer less than 10 million.  If the number of "
                             "calculations is too high it may cause your computer to crash.")
            + QStringLiteral("\r\n"),
        standard, 8.25, false, left);
    row(help, "lblQ3", frame, fromTwips(240, 2535, 4800, 300),
        QStringLiteral("Q: What are the goals of this program anyway?"), green, 8.25, false, left);
    row(help, "lblA31", frame, fromTwips(240, 2835, 4800, 780),
        QStringLiteral("A: The program aims at studying the effect the number of random numbers generated has "
                       "on the results.  I recommend that you think on it for yourself.  But in case you can't "
                       "guess, the most important effects are listed below."),
        standard, 8.25, false, left);
    row(help, "lblA32", frame, fromTwips(240, 3615, 4800, 300),
        QStringLiteral("The higher the number of numbers generated,"), standard, 8.25, false, left);
    row(help, "lblA33", frame, fromTwips(240, 3915, 4800, 420),
        QStringLiteral("1. the average gets closer to 0.5, because random numbers are uniformly distributed "
                       "between 0 and 1."),
        standard, 8.25, false, left);
    row(help, "lblA34", frame, fromTwips(240, 4335, 4800, 300),
        QStringLiteral("2. the biggest number gets closer to 1."), standard, 8.25, false, left);
    row(help, "lblA35", frame, fromTwips(240, 4635, 4800, 300),
        QStringLiteral("3. the smallest number gets closer to 0."), standard, 8.25, false, left);
    row(help, "lblA36", frame, fromTwips(240, 4935, 4800, 780),
        QStringLiteral("4. Nearly 20 percent of all numbers lie in each 0.2 intervals. At first, you may think "
                       "that random numbers are mainly around 0.5 but this is not true. In fact the distribution "
                       "of random numbers is nearly uniformed."),
        standard, 8.25, false, left);
    row(help, "cmdClose", window, fromTwips(2160, 6120, 1215, 495), QStringLiteral("Close"), standard, 8.25,
        false, 0);
}

void tst_Dialogs::controls()
{
    QFETCH(QString, dialogName);
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QColor, colour);
    QFETCH(double, pointSize);
    QFETCH(bool, bold);
    QFETCH(int, alignment);

    Form& form = dialog(dialogName);
    form.load();
    FormWindow* const window = form.window();
    QVERIFY(window);
    QWidget* const control = window->findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));

    QWidget* const expectedContainer =
        container.isEmpty() ? window->client() : window->findChild<QWidget*>(container);
    QVERIFY(expectedContainer);
    QCOMPARE(control->parentWidget(), expectedContainer);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(captionOf(control), caption);

    // A frame's own font and colour serve its caption only.
    const auto* frame = qobject_cast<const platform::FrameBox*>(control);
    const QPalette::ColorRole role =
        qobject_cast<QAbstractButton*>(control) ? QPalette::ButtonText : QPalette::WindowText;
    const QColor seenColour = frame ? frame->captionColor() : control->palette().color(role);
    const QFont seenFont = frame ? frame->captionFont() : control->font();
    QCOMPARE(seenColour, colour.isValid() ? colour : window->palette().color(role));
    QCOMPARE(seenFont.pointSizeF(), pointSize);
    QCOMPARE(seenFont.bold(), bold);
    // Substitute faces are allowed, but one face for the whole window.
    QCOMPARE(seenFont.family(), window->font().family());
    if (auto* label = qobject_cast<QLabel*>(control))
        QCOMPARE(int(label->alignment() & Qt::AlignHorizontal_Mask), alignment);

    QVERIFY(control->isVisibleTo(window));
    QVERIFY(control->isEnabled());
}

void tst_Dialogs::labelRows()
{
    QTest::addColumn<QString>("dialogName");
    QTest::addColumn<QString>("name");
    for (const LabelRow& label : allLabels)
        QTest::addRow("%s.%s", label.dialog, label.name)
            << QString::fromLatin1(label.dialog) << QString::fromLatin1(label.name);
}

void tst_Dialogs::labelsAreFixedBoxes_data()
{
    labelRows();
}

void tst_Dialogs::labelsAreFixedBoxes()
{
    QFETCH(QString, dialogName);
    QFETCH(QString, name);
    Form& form = dialog(dialogName);
    form.load();
    auto* const label = form.window()->findChild<QLabel*>(name);
    QVERIFY(label);

    // Text wraps inside a box that never grows, on the window's own
    // background, without a border.
    QVERIFY(label->wordWrap());
    QCOMPARE(label->minimumSize(), QSize(0, 0));
    const QSize size = label->size();
    QVERIFY(showModalThen(form, [&] { QTest::keyClick(form.window()->windowHandle(), Qt::Key_Escape); }));
    QCOMPARE(label->size(), size);
    QCOMPARE(label->frameShape(), QFrame::NoFrame);
    QVERIFY(label->autoFillBackground());
    QCOMPARE(label->palette().color(QPalette::Window), form.window()->palette().color(QPalette::Window));
    QCOMPARE(label->focusPolicy(), Qt::NoFocus);
}

void tst_Dialogs::textFitsItsBox_data()
{
    labelRows();
}

void tst_Dialogs::textFitsItsBox()
{
    QFETCH(QString, dialogName);
    QFETCH(QString, name);
    Form& form = dialog(dialogName);
    form.load();
    auto* const label = form.window()->findChild<QLabel*>(name);
    QVERIFY(label);

    // Nothing the user is meant to read is cut off: every pixel the text
    // inks, drawn as the label draws it, lies inside the label's box.
    const QRect ink = inkedArea(label);
    QVERIFY2(!ink.isEmpty(), qPrintable(name));
    QVERIFY2(ink.bottom() < label->contentsRect().height(),
             qPrintable(QStringLiteral("%1 inks down to row %2 of a %3 px box")
                            .arg(name)
                            .arg(ink.bottom())
                            .arg(label->contentsRect().height())));
    QVERIFY2(ink.right() < label->contentsRect().width(),
             qPrintable(QStringLiteral("%1 inks out to column %2 of a %3 px box")
                            .arg(name)
                            .arg(ink.right())
                            .arg(label->contentsRect().width())));
}

void tst_Dialogs::closeHidesAndKeepsLoaded_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Input>("input");
    for (const char* name : {"frmInstructions", "frmHelp"}) {
        const QString dialogName = QString::fromLatin1(name);
        QTest::addRow("%s Enter", name) << dialogName << Input::Enter;
        QTest::addRow("%s keypad Enter", name) << dialogName << Input::KeypadEnter;
        QTest::addRow("%s Esc", name) << dialogName << Input::Esc;
        QTest::addRow("%s Space", name) << dialogName << Input::Space;
        QTest::addRow("%s mouse click", name) << dialogName << Input::MouseClick;
    }
}

void tst_Dialogs::closeHidesAndKeepsLoaded()
{
    QFETCH(QString, name);
    QFETCH(Input, input);
    Form& form = dialog(name);

    QPointer<FormWindow> shownWindow;
    QWidget* focusWhenShown = nullptr;
    bool isDefault = false;
    int clicks = -1;
    const bool tookOff = showModalThen(form, [&] {
        shownWindow = form.window();
        QPushButton* const cmdClose = closeButton(name);
        isDefault = cmdClose->isDefault();
        QTRY_VERIFY(shownWindow->isActiveWindow());
        focusWhenShown = QApplication::focusWidget();
        QSignalSpy clicked(cmdClose, &QPushButton::clicked);
        // Keys go to the window as the window system delivers them, to
        // whatever has the focus there.
        QWindow* const handle = shownWindow->windowHandle();
        switch (input) {
        case Input::Enter:
            QTest::keyClick(handle, Qt::Key_Return);
            break;
        case Input::KeypadEnter:
            QTest::keyClick(handle, Qt::Key_Enter, Qt::KeypadModifier);
            break;
        case Input::Esc:
            QTest::keyClick(handle, Qt::Key_Escape);
            break;
        case Input::Space:
            QTest::keyClick(handle, Qt::Key_Space);
            break;
        case Input::MouseClick:
            QTest::mouseClick(handle, Qt::LeftButton, {},
                              cmdClose->mapTo(shownWindow, cmdClose->rect().center()));
            break;
        }
        clicks = int(clicked.count());
    });

    QVERIFY(isDefault);
    QCOMPARE(focusWhenShown, closeButton(name));
    QVERIFY2(tookOff, "the dialog stayed on screen");
    QCOMPARE(clicks, 1);
    QCOMPARE(form.state(), State::Hidden);
    QVERIFY(shownWindow);
    QCOMPARE(form.window(), shownWindow.data());
}

void tst_Dialogs::closeIsTheOnlyFocus_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("frmInstructions") << QStringLiteral("frmInstructions");
    QTest::newRow("frmHelp") << QStringLiteral("frmHelp");
}

void tst_Dialogs::closeIsTheOnlyFocus()
{
    QFETCH(QString, name);
    Form& form = dialog(name);
    form.load();
    QPushButton* const cmdClose = closeButton(name);

    QStringList focusable;
    for (QWidget* widget : form.window()->findChildren<QWidget*>()) {
        if (widget->focusPolicy() != Qt::NoFocus)
            focusable << widget->objectName();
    }
    QCOMPARE(focusable, QStringList{QStringLiteral("cmdClose")});

    // Tab and Shift+Tab have nowhere else to go; a second showing starts
    // on Close again.
    QList<QWidget*> focusSeen;
    for (int showing = 0; showing < 2; ++showing) {
        QVERIFY(showModalThen(form, [&] {
            QTRY_VERIFY(form.window()->isActiveWindow());
            focusSeen << QApplication::focusWidget();
            QTest::keyClick(form.window()->windowHandle(), Qt::Key_Tab);
            focusSeen << QApplication::focusWidget();
            QTest::keyClick(form.window()->windowHandle(), Qt::Key_Backtab, Qt::ShiftModifier);
            focusSeen << QApplication::focusWidget();
            QTest::keyClick(form.window()->windowHandle(), Qt::Key_Escape);
        }));
    }
    QCOMPARE(focusSeen, QList<QWidget*>(6, cmdClose));
}

void tst_Dialogs::placement_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("fixedPosition");
    QTest::newRow("frmInstructions") << QStringLiteral("frmInstructions")
                                     << fromTwips(3375, 3555, 0, 0).topLeft();
    QTest::newRow("frmHelp") << QStringLiteral("frmHelp") << fromTwips(3255, 1560, 0, 0).topLeft();
}

void tst_Dialogs::placement()
{
    QFETCH(QString, name);
    QFETCH(QPoint, fixedPosition);
    Form& form = dialog(name);
    const QPoint movedTo = fixedPosition + QPoint(37, -41);

    // First showing: at the fixed position; the user then moves it away.
    QPoint firstClient, firstWindow, leftAt;
    QPointer<FormWindow> firstWindowObject;
    QVERIFY(showModalThen(form, [&] {
        firstWindowObject = form.window();
        firstClient = clientTopLeft(form.window());
        firstWindow = form.window()->geometry().topLeft();
        form.window()->move(movedTo);
        leftAt = clientTopLeft(form.window());
        QTest::keyClick(form.window()->windowHandle(), Qt::Key_Escape);
    }));
    QCOMPARE(firstClient, fixedPosition);
    QCOMPARE(firstWindow, fixedPosition);
    QVERIFY(leftAt != fixedPosition);
    QCOMPARE(form.state(), State::Hidden);

    // Hidden and shown again: where it was left, the same window. Then the
    // window system closes it, which unloads it.
    QPoint secondClient;
    FormWindow* secondWindowObject = nullptr;
    QList<State> states;
    QVERIFY(showModalThen(form, [&] {
        secondWindowObject = form.window();
        secondClient = clientTopLeft(form.window());
        form.window()->setProperty("seenBefore", true);
        states << form.state();
        form.window()->close();
        states << form.state();
    }));
    QCOMPARE(secondWindowObject, firstWindowObject.data());
    QCOMPARE(secondClient, leftAt);
    QCOMPARE(states, (QList<State>{State::Shown, State::NotLoaded}));
    QCOMPARE(form.state(), State::NotLoaded);
    QVERIFY(!form.window());

    // The next showing loads it afresh, at the fixed position again.
    QPoint thirdClient;
    bool seenBefore = true;
    FormWindow* thirdWindowObject = nullptr;
    QVERIFY(showModalThen(form, [&] {
        thirdWindowObject = form.window();
        thirdClient = clientTopLeft(form.window());
        seenBefore = form.window()->property("seenBefore").toBool();
        QTest::keyClick(form.window()->windowHandle(), Qt::Key_Escape);
    }));
    QVERIFY(thirdWindowObject);
    QVERIFY(!seenBefore);
    QVERIFY(thirdWindowObject != firstWindowObject.data());
    QCOMPARE(thirdClient, fixedPosition);
    QCOMPARE(form.state(), State::Hidden);
}

QTEST_MAIN(tst_Dialogs)
#include "tst_dialogs.moc"
