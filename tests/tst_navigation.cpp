// Tests of start-up and of moving between the windows: the instructions in
// front of the main window at start-up, the Help menu and its shortcut
// keys, Close against the window system's close, the main window taking no
// input while a dialog is up, and a dialog opened in the middle of a run.
#include "platform/FormWindow.h"
#include "support/MainWindowFixture.h"
#include "support/TestSeams.h"
#include "support/WakeEventLoop.h"
#include "ui/Forms.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

#include <functional>

using namespace vellorin;
using platform::Form;
using platform::FormWindow;
using State = platform::Form::State;

namespace {

enum class Dismissal { CloseButton, Enter, Esc, CloseBox };
enum class MenuWay { Keyboard, Mouse };
enum class Attempt { F1, ShiftF1, AltF, AltH, ClickHelpMenu, ClickRunButton, EnterInBox, TypeDigit };

// Notes the order in which the program's windows come on screen.
class ShowOrder : public QObject {
public:
    ShowOrder() { qApp->installEventFilter(this); }
    ~ShowOrder() override { qApp->removeEventFilter(this); }
    QStringList windows;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto* window = qobject_cast<FormWindow*>(watched))
                windows << window->objectName();
        }
        return false;
    }
};

FormWindow* mainWindow() { return forms::frmMain->window(); }
QWindow* mainHandle() { return forms::frmMain->window()->windowHandle(); }

// The dialog on screen, if any.
Form* shownDialog()
{
    if (!forms::frmInstructions.isEmpty() && forms::frmInstructions->state() == State::Shown)
        return &*forms::frmInstructions;
    if (!forms::frmHelp.isEmpty() && forms::frmHelp->state() == State::Shown)
        return &*forms::frmHelp;
    return nullptr;
}

QString shownDialogName()
{
    const Form* dialog = shownDialog();
    return dialog ? dialog->objectName() : QString();
}

// Puts the main window in front as the active window, where the user
// works before choosing from its menu or pressing its keys.
bool activateMainWindow()
{
    mainWindow()->activateWindow();
    return QTest::qWaitFor([] { return mainWindow()->isActiveWindow(); });
}

// What happened to the dialog that `trigger` was to bring up.
struct Visit {
    QString dialog;          // the dialog on screen inside the modal loop
    bool dismissed = false;  // `inside` took it off screen itself
};

// Runs `trigger`, which should show a dialog modally, and `inside` once the
// dialog is up (inside its modal loop). Should `inside` leave the dialog on
// screen it is hidden afterwards, so a failing test ends rather than hangs.
Visit visitDialog(const std::function<void()>& trigger, const std::function<void()>& inside)
{
    Visit visit;
    QTimer whenUp;
    whenUp.setSingleShot(true);
    QObject::connect(&whenUp, &QTimer::timeout, &whenUp, [&] {
        Form* dialog = shownDialog();
        if (!dialog) {
            // Not up yet (a menu may be on its way); look again.
            whenUp.start(0);
            return;
        }
        visit.dialog = dialog->objectName();
        inside();
        visit.dismissed = dialog->state() != State::Shown;
        if (!visit.dismissed)
            dialog->hide();
        testing::wakeEventLoop();
    });
    whenUp.start(0);
    trigger();
    return visit;
}

QPoint centreIn(const QWidget* widget, const QWidget* window)
{
    return widget->mapTo(window, widget->rect().center());
}

// A menu entry and the access keys that reach it from the menu bar.
struct MenuPath {
    QMenu* menu;
    Qt::Key menuKey;
    QAction* entry;
    Qt::Key entryKey;
};

MenuPath helpInstructions()
{
    return {forms::frmMain->mnuHelp, Qt::Key_H, forms::frmMain->mnuHelpInstructions, Qt::Key_I};
}

MenuPath helpHelp()
{
    return {forms::frmMain->mnuHelp, Qt::Key_H, forms::frmMain->mnuHelpHelp, Qt::Key_H};
}

// Chooses a menu entry as a user does: Alt with the menu's access key and
// then the entry's, or a click on the menu and one on the entry.
void chooseFromMenu(const MenuPath& path, MenuWay way)
{
    QMenuBar* const bar = mainWindow()->findChild<QMenuBar*>();
    if (way == MenuWay::Keyboard) {
        QTest::keyClick(mainHandle(), path.menuKey, Qt::AltModifier);
    } else {
        QTest::mouseClick(mainHandle(), Qt::LeftButton, {},
                          bar->mapTo(mainWindow(), bar->actionGeometry(path.menu->menuAction()).center()));
    }
    if (!QTest::qWaitFor([&] { return QApplication::activePopupWidget() == path.menu; })) {
        QTest::qFail("the menu did not open", __FILE__, __LINE__);
        return;
    }
    if (way == MenuWay::Keyboard)
        QTest::keyClick(path.menu->windowHandle(), path.entryKey);
    else
        QTest::mouseClick(path.menu->windowHandle(), Qt::LeftButton, {},
                          path.menu->actionGeometry(path.entry).center());
}

void dismiss(Form& dialog, QPushButton* cmdClose, Dismissal how)
{
    QWindow* const handle = dialog.window()->windowHandle();
    switch (how) {
    case Dismissal::CloseButton:
        QTest::mouseClick(handle, Qt::LeftButton, {}, centreIn(cmdClose, dialog.window()));
        break;
    case Dismissal::Enter:
        QTest::keyClick(handle, Qt::Key_Return);
        break;
    case Dismissal::Esc:
        QTest::keyClick(handle, Qt::Key_Escape);
        break;
    case Dismissal::CloseBox:
        handle->close();
        break;
    }
}

// Tries one piece of input on the main window, as the window system would
// deliver it, and says what came of it: the dialog or menu that opened,
// "ran" for a run, "typed" for a change in the box; empty for nothing.
// Whatever opened is taken away again. `up` is the dialog already on
// screen, if any.
QString tryOnMainWindow(Attempt attempt, const Form* up)
{
    ui::frmMain& main = *forms::frmMain;
    const QString boxBefore = main.txtNum->text();
    QStringList effects;
    // A dialog that opens runs its own modal loop inside the attempt; look
    // from there, and close it, so the attempt returns.
    QTimer look;
    look.setSingleShot(true);
    const auto lookAround = [&] {
        for (Form* dialog : {static_cast<Form*>(&*forms::frmHelp), static_cast<Form*>(&*forms::frmInstructions)}) {
            if (dialog != up && dialog->state() == State::Shown) {
                effects << dialog->objectName();
                dialog->hide();
            }
        }
        if (QWidget* popup = QApplication::activePopupWidget()) {
            effects << popup->objectName();
            popup->close();
        }
    };
    // Keep looking until the attempt is over: a modifier key goes first,
    // and the events it lets through come before the key itself.
    QObject::connect(&look, &QTimer::timeout, &look, [&] {
        lookAround();
        look.start(0);
    });
    look.start(0);

    QMenuBar* const bar = mainWindow()->findChild<QMenuBar*>();
    switch (attempt) {
    case Attempt::F1:
        QTest::keyClick(mainHandle(), Qt::Key_F1);
        break;
    case Attempt::ShiftF1:
        QTest::keyClick(mainHandle(), Qt::Key_F1, Qt::ShiftModifier);
        break;
    case Attempt::AltF:
        QTest::keyClick(mainHandle(), Qt::Key_F, Qt::AltModifier);
        break;
    case Attempt::AltH:
        QTest::keyClick(mainHandle(), Qt::Key_H, Qt::AltModifier);
        break;
    case Attempt::ClickHelpMenu:
        QTest::mouseClick(mainHandle(), Qt::LeftButton, {},
                          bar->mapTo(mainWindow(), bar->actionGeometry(main.mnuHelp->menuAction()).center()));
        break;
    case Attempt::ClickRunButton:
        QTest::mouseClick(mainHandle(), Qt::LeftButton, {}, centreIn(main.cmdRun, mainWindow()));
        break;
    case Attempt::EnterInBox:
        main.txtNum->setFocus();
        QTest::keyClick(mainHandle(), Qt::Key_Return);
        break;
    case Attempt::TypeDigit:
        main.txtNum->setFocus();
        QTest::keyClick(mainHandle(), Qt::Key_5);
        break;
    }
    look.stop();
    lookAround();
    if (!main.lblAve->text().isEmpty())
        effects << QStringLiteral("ran");
    if (main.txtNum->text() != boxBefore)
        effects << QStringLiteral("typed");
    return effects.join(QLatin1Char(' '));
}

} // namespace

Q_DECLARE_METATYPE(vellorin::platform::Form::State)
Q_DECLARE_METATYPE(Dismissal)
Q_DECLARE_METATYPE(MenuWay)
Q_DECLARE_METATYPE(Attempt)

class tst_Navigation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void startUp_data();
    void startUp();
    void instructionsAgainAfterClose_data();
    void instructionsAgainAfterClose();
    void instructionsAfterCloseBoxLoadAfresh();
    void helpShowsHidesAndShowsAgain();
    void shortcutKeys_data();
    void shortcutKeys();
    void mainWindowTakesInput_data();
    void mainWindowTakesInput();
    void mainWindowTakesNoInputUnderADialog_data();
    void mainWindowTakesNoInputUnderADialog();
    void helpDuringALongRun();
    void keyWaitingDuringARunIsHandledAtAYield();
};

void tst_Navigation::cleanup()
{
    testing::discardWindows();
}

void tst_Navigation::startUp_data()
{
    QTest::addColumn<Dismissal>("dismissal");
    QTest::addColumn<State>("instructionsAfter");
    QTest::newRow("Close") << Dismissal::CloseButton << State::Hidden;
    QTest::newRow("Enter") << Dismissal::Enter << State::Hidden;
    QTest::newRow("Esc") << Dismissal::Esc << State::Hidden;
    QTest::newRow("close box") << Dismissal::CloseBox << State::NotLoaded;
}

void tst_Navigation::startUp()
{
    QFETCH(Dismissal, dismissal);
    QFETCH(State, instructionsAfter);

    ShowOrder order;
    State mainState = State::NotLoaded;
    QWidget* modalWidget = nullptr;
    Qt::WindowModality modality = Qt::NonModal;
    QStringList effectsOnMain;
    bool dismissed = false;
    // Start-up is frmMain's load, which does not return while the
    // instructions are up; look around from inside their modal loop.
    QTimer::singleShot(0, [&] {
        ui::frmInstructions& instructions = *forms::frmInstructions;
        if (instructions.state() != State::Shown)
            return;
        mainState = forms::frmMain->state();
        modalWidget = QApplication::activeModalWidget();
        modality = instructions.window()->windowModality();

        // The main window behind takes no input: no F1, no menu, no typing,
        // no run.
        for (Attempt attempt : {Attempt::F1, Attempt::AltF, Attempt::ClickHelpMenu, Attempt::ClickRunButton,
                                Attempt::EnterInBox, Attempt::TypeDigit})
            effectsOnMain << tryOnMainWindow(attempt, &instructions);

        dismiss(instructions, instructions.cmdClose, dismissal);
        dismissed = instructions.state() != State::Shown;
        if (!dismissed)
            instructions.hide();
        testing::wakeEventLoop();
    });
    forms::frmMain->load();
    forms::frmMain->show();

    // The instructions' load step put the main window on screen first.
    QCOMPARE(order.windows, (QStringList{QStringLiteral("frmMain"), QStringLiteral("frmInstructions")}));
    QCOMPARE(mainState, State::Shown);
    QVERIFY(modalWidget);
    QCOMPARE(modalWidget->objectName(), QStringLiteral("frmInstructions"));
    QCOMPARE(modality, Qt::ApplicationModal);
    QCOMPARE(effectsOnMain, QStringList(6, QString()));
    QVERIFY(forms::frmHelp.isEmpty() || forms::frmHelp->state() == State::NotLoaded);

    // Dismissed either way, the program is ready: the main window is on
    // screen, the active window, and takes input.
    QVERIFY(dismissed);
    QCOMPARE(forms::frmInstructions->state(), instructionsAfter);
    QCOMPARE(forms::frmMain->state(), State::Shown);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QTRY_VERIFY(mainWindow()->isActiveWindow());
    QTest::keyClick(mainHandle(), Qt::Key_End);
    QTest::keyClick(mainHandle(), Qt::Key_7);
    QCOMPARE(forms::frmMain->txtNum->text(), QStringLiteral("1007"));
    const Visit help = visitDialog([] { QTest::keyClick(mainHandle(), Qt::Key_F1); },
                                   [] { QTest::keyClick(forms::frmHelp->window()->windowHandle(), Qt::Key_Escape); });
    QCOMPARE(help.dialog, QStringLiteral("frmHelp"));
    QVERIFY(help.dismissed);
}

void tst_Navigation::instructionsAgainAfterClose_data()
{
    QTest::addColumn<MenuWay>("way");
    QTest::newRow("Alt+H, I") << MenuWay::Keyboard;
    QTest::newRow("mouse on Help, Instructions") << MenuWay::Mouse;
}

void tst_Navigation::instructionsAgainAfterClose()
{
    QFETCH(MenuWay, way);
    testing::openMainWindow();
    QCOMPARE(forms::frmInstructions->state(), State::Hidden);
    const QPointer<FormWindow> firstWindow = forms::frmInstructions->window();
    const QPointer<QLabel> firstText = forms::frmInstructions->lblInstructions;
    firstWindow->setProperty("seenBefore", true);
    QVERIFY(activateMainWindow());

    // Shown again without a reload: the same window and controls, with
    // whatever was set on them.
    FormWindow* window = nullptr;
    QLabel* text = nullptr;
    bool seenBefore = false;
    const Visit visit = visitDialog(
        [&] { chooseFromMenu(helpInstructions(), way); },
        [&] {
            window = forms::frmInstructions->window();
            text = forms::frmInstructions->lblInstructions;
            seenBefore = window->property("seenBefore").toBool();
            dismiss(*forms::frmInstructions, forms::frmInstructions->cmdClose, Dismissal::CloseButton);
        });
    QCOMPARE(visit.dialog, QStringLiteral("frmInstructions"));
    QVERIFY(visit.dismissed);
    QVERIFY(firstWindow);
    QCOMPARE(window, firstWindow.data());
    QCOMPARE(text, firstText.data());
    QVERIFY(seenBefore);
    QCOMPARE(forms::frmInstructions->state(), State::Hidden);
}

void tst_Navigation::instructionsAfterCloseBoxLoadAfresh()
{
    testing::openMainWindow();
    const QPointer<FormWindow> mainBefore = mainWindow();
    QPointer<FormWindow> closedWindow = forms::frmInstructions->window();
    closedWindow->setProperty("seenBefore", true);
    QVERIFY(activateMainWindow());

    const Visit closed = visitDialog([] { QTest::keyClick(mainHandle(), Qt::Key_F1, Qt::ShiftModifier); },
                                     [] { dismiss(*forms::frmInstructions, nullptr, Dismissal::CloseBox); });
    QCOMPARE(closed.dialog, QStringLiteral("frmInstructions"));
    QVERIFY(closed.dismissed);
    QCOMPARE(forms::frmInstructions->state(), State::NotLoaded);

    // Loaded afresh: a new window, at its fixed place again; its load step
    // shows the main window, which is on screen already and stays as it is.
    QVERIFY(activateMainWindow());
    FormWindow* window = nullptr;
    bool seenBefore = true;
    QPoint clientAt;
    State mainState = State::NotLoaded;
    const Visit again = visitDialog(
        [] { chooseFromMenu(helpInstructions(), MenuWay::Mouse); },
        [&] {
            window = forms::frmInstructions->window();
            seenBefore = window->property("seenBefore").toBool();
            clientAt = window->client()->mapToGlobal(QPoint(0, 0));
            mainState = forms::frmMain->state();
            dismiss(*forms::frmInstructions, forms::frmInstructions->cmdClose, Dismissal::Enter);
        });
    QCOMPARE(again.dialog, QStringLiteral("frmInstructions"));
    QVERIFY(again.dismissed);
    QVERIFY(window);
    QVERIFY(window != closedWindow.data());
    QVERIFY(!seenBefore);
    QCOMPARE(clientAt, QPoint(3375 / 15, 3555 / 15));
    QCOMPARE(mainState, State::Shown);
    QCOMPARE(mainWindow(), mainBefore.data());
    QCOMPARE(forms::frmInstructions->state(), State::Hidden);
}

void tst_Navigation::helpShowsHidesAndShowsAgain()
{
    testing::openMainWindow();
    QVERIFY(forms::frmHelp.isEmpty() || forms::frmHelp->state() == State::NotLoaded);
    QVERIFY(activateMainWindow());

    QWidget* modal = nullptr;
    QPointer<FormWindow> firstWindow;
    const Visit first = visitDialog(
        [] { chooseFromMenu(helpHelp(), MenuWay::Mouse); },
        [&] {
            modal = QApplication::activeModalWidget();
            firstWindow = forms::frmHelp->window();
            dismiss(*forms::frmHelp, forms::frmHelp->cmdClose, Dismissal::CloseButton);
        });
    QCOMPARE(first.dialog, QStringLiteral("frmHelp"));
    QVERIFY(first.dismissed);
    QCOMPARE(modal, firstWindow.data());
    QCOMPARE(forms::frmHelp->state(), State::Hidden);

    QVERIFY(activateMainWindow());
    FormWindow* secondWindow = nullptr;
    const Visit second = visitDialog(
        [] { chooseFromMenu(helpHelp(), MenuWay::Keyboard); },
        [&] {
            secondWindow = forms::frmHelp->window();
            dismiss(*forms::frmHelp, forms::frmHelp->cmdClose, Dismissal::CloseButton);
        });
    QCOMPARE(second.dialog, QStringLiteral("frmHelp"));
    QVERIFY(second.dismissed);
    QVERIFY(firstWindow);
    QCOMPARE(secondWindow, firstWindow.data());
    QCOMPARE(forms::frmHelp->state(), State::Hidden);
}

void tst_Navigation::shortcutKeys_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("focusOnButton");
    QTest::addColumn<QString>("dialog");
    const QString help = QStringLiteral("frmHelp"), instructions = QStringLiteral("frmInstructions");
    const Qt::KeyboardModifiers none, shift = Qt::ShiftModifier;
    QTest::newRow("F1 in the box") << none << false << help;
    QTest::newRow("F1 on the button") << none << true << help;
    QTest::newRow("Shift+F1 in the box") << shift << false << instructions;
    QTest::newRow("Shift+F1 on the button") << shift << true << instructions;
}

void tst_Navigation::shortcutKeys()
{
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, focusOnButton);
    QFETCH(QString, dialog);
    testing::openMainWindow();
    QVERIFY(activateMainWindow());
    QWidget* const focus = focusOnButton ? static_cast<QWidget*>(forms::frmMain->cmdRun)
                                         : static_cast<QWidget*>(forms::frmMain->txtNum);
    focus->setFocus();
    QCOMPARE(QApplication::focusWidget(), focus);

    QString modal;
    const Visit visit = visitDialog(
        [&] { QTest::keyClick(mainHandle(), Qt::Key_F1, modifiers); },
        [&] {
            modal = QApplication::activeModalWidget() ? QApplication::activeModalWidget()->objectName() : QString();
            QTest::keyClick(shownDialog()->window()->windowHandle(), Qt::Key_Escape);
        });
    QCOMPARE(visit.dialog, dialog);
    QCOMPARE(modal, dialog);
    QVERIFY(visit.dismissed);
    // Nothing was typed into the box, nothing was run.
    QCOMPARE(forms::frmMain->txtNum->text(), QStringLiteral("100"));
    QCOMPARE(forms::frmMain->lblAve->text(), QString());
}

void tst_Navigation::mainWindowTakesInput_data()
{
    QTest::addColumn<Attempt>("attempt");
    QTest::addColumn<QString>("effect");
    QTest::newRow("F1") << Attempt::F1 << QStringLiteral("frmHelp");
    QTest::newRow("Shift+F1") << Attempt::ShiftF1 << QStringLiteral("frmInstructions");
    QTest::newRow("Alt+F") << Attempt::AltF << QStringLiteral("mnuFile");
    QTest::newRow("Alt+H") << Attempt::AltH << QStringLiteral("mnuHelp");
    QTest::newRow("click on Help") << Attempt::ClickHelpMenu << QStringLiteral("mnuHelp");
    QTest::newRow("click on the run button") << Attempt::ClickRunButton << QStringLiteral("ran");
    QTest::newRow("Enter in the box") << Attempt::EnterInBox << QStringLiteral("ran");
    QTest::newRow("typing a digit") << Attempt::TypeDigit << QStringLiteral("typed");
}

void tst_Navigation::mainWindowTakesInput()
{
    // The same input as below, with no dialog up, to show that each one
    // does reach the main window when nothing stands in its way.
    QFETCH(Attempt, attempt);
    QFETCH(QString, effect);
    testing::FixedClock clock;
    testing::FixedSeparators separators;
    const testing::ScopedSeam<platform::Clock> clockSeam(platform::timeOfDay, clock);
    const testing::ScopedSeam<platform::NumberLocale> localeSeam(platform::numberLocale, separators);
    testing::openMainWindow();
    QVERIFY(activateMainWindow());

    QCOMPARE(tryOnMainWindow(attempt, nullptr), effect);
}

void tst_Navigation::mainWindowTakesNoInputUnderADialog_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("dialogKey"); // with F1
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<Attempt>("attempt");
    const struct {
        const char* name;
        Attempt attempt;
    } attempts[] = {
        {"F1", Attempt::F1},
        {"Shift+F1", Attempt::ShiftF1},
        {"Alt+F", Attempt::AltF},
        {"Alt+H", Attempt::AltH},
        {"click on Help", Attempt::ClickHelpMenu},
        {"click on the run button", Attempt::ClickRunButton},
        {"Enter in the box", Attempt::EnterInBox},
        {"typing a digit", Attempt::TypeDigit},
    };
    for (const auto& attempt : attempts) {
        QTest::addRow("help up: %s", attempt.name)
            << Qt::KeyboardModifiers() << QStringLiteral("frmHelp") << attempt.attempt;
        QTest::addRow("instructions up: %s", attempt.name)
            << Qt::KeyboardModifiers(Qt::ShiftModifier) << QStringLiteral("frmInstructions") << attempt.attempt;
    }
}

void tst_Navigation::mainWindowTakesNoInputUnderADialog()
{
    QFETCH(Qt::KeyboardModifiers, dialogKey);
    QFETCH(QString, dialog);
    QFETCH(Attempt, attempt);
    testing::openMainWindow();
    QVERIFY(activateMainWindow());

    QString effect = QStringLiteral("not tried");
    QWidget* modalAfter = nullptr;
    const Visit visit = visitDialog([&] { QTest::keyClick(mainHandle(), Qt::Key_F1, dialogKey); },
                                    [&] {
                                        Form* const up = shownDialog();
                                        effect = tryOnMainWindow(attempt, up);
                                        modalAfter = QApplication::activeModalWidget();
                                        QTest::keyClick(up->window()->windowHandle(), Qt::Key_Escape);
                                    });

    QCOMPARE(visit.dialog, dialog);
    QVERIFY(visit.dismissed);
    QCOMPARE(effect, QString());
    QVERIFY(modalAfter);
    QCOMPARE(modalAfter->objectName(), dialog);
    QCOMPARE(forms::frmMain->state(), State::Shown);
}

void tst_Navigation::helpDuringALongRun()
{
    testing::StandIns standIns;
    testing::CountingPump& pump = standIns.pump;

    ui::frmMain& main = testing::openMainWindow();
    QVERIFY(activateMainWindow());
    QTest::keyClick(main.txtNum, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(main.txtNum, QStringLiteral("10000000"));

    int yieldsWhenOpened = -1, yieldsBeforeClose = -1;
    QString helpWhenOpened, averageWhileHelpUp;
    qsizetype ticksWhileHelpUp = 0;
    pump.atYield = [&](int yield) {
        if (yield != 3)
            return;
        // Help > Help chosen during the run: the dialog comes up at this
        // yield, and the run waits beneath it while time goes by.
        QTimer::singleShot(0, [&] {
            yieldsWhenOpened = pump.yields;
            helpWhenOpened = shownDialogName();
            QSignalSpy ticks(main.tmrWorking, &QTimer::timeout);
            QTRY_VERIFY(ticks.count() >= 2);
            ticksWhileHelpUp = ticks.count();
            yieldsBeforeClose = pump.yields;
            averageWhileHelpUp = main.lblAve->text();
            QTest::mouseClick(forms::frmHelp->window()->windowHandle(), Qt::LeftButton, {},
                              centreIn(forms::frmHelp->cmdClose, forms::frmHelp->window()));
            if (forms::frmHelp->state() == State::Shown)
                forms::frmHelp->hide();
            testing::wakeEventLoop();
        });
        main.mnuHelpHelp->trigger();
    };
    QTest::mouseClick(main.cmdRun, Qt::LeftButton);

    QCOMPARE(helpWhenOpened, QStringLiteral("frmHelp"));
    QCOMPARE(yieldsWhenOpened, 3);
    QVERIFY(ticksWhileHelpUp >= 2);
    QCOMPARE(yieldsBeforeClose, 3);
    QCOMPARE(averageWhileHelpUp, QString());
    QCOMPARE(forms::frmHelp->state(), State::Hidden);

    // After Close the run went on to its end (a yield every 110,000 draws)
    // and filled the results.
    QCOMPARE(pump.yields, 90);
    QCOMPARE(main.txtNum->text(), QStringLiteral("10,000,000"));
    const QRegularExpression figure(QStringLiteral("^[01]\\.\\d{5}$"));
    const QRegularExpression share(QStringLiteral("^%\\d{1,2}\\.\\d{0,4}$"));
    for (const QLabel* label : {main.lblAve, main.lblMax, main.lblMin})
        QVERIFY2(figure.match(label->text()).hasMatch(), qPrintable(label->objectName() + ": " + label->text()));
    for (int bin = 1; bin <= 5; ++bin)
        QVERIFY2(share.match(main.lblN(bin)->text()).hasMatch(), qPrintable(main.lblN(bin)->text()));
    QVERIFY(!main.lblWorking->isVisible());
    QVERIFY(!main.tmrWorking->isActive());
}

// The program's own pending-events call lets the user's input through at a
// yield: F1, pressed while the run is drawing and waiting in the window
// system's queue, brings up the help there, before the results.
void tst_Navigation::keyWaitingDuringARunIsHandledAtAYield()
{
    testing::RunStandIns standIns; // the toolkit's event pump, not a stand-in
    ui::frmMain& main = testing::openMainWindow();
    QVERIFY(activateMainWindow());
    QTest::keyClick(main.txtNum, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(main.txtNum, QStringLiteral("10000000"));

    QString averageWhileHelpUp = QStringLiteral("(the help never came up)");
    QTimer closeHelp;
    QObject::connect(&closeHelp, &QTimer::timeout, &closeHelp, [&] {
        if (shownDialogName() != QLatin1String("frmHelp"))
            return;
        averageWhileHelpUp = main.lblAve->text();
        closeHelp.stop();
        QTest::mouseClick(forms::frmHelp->cmdClose, Qt::LeftButton);
    });
    closeHelp.start(0);
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
        QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(mainHandle(), type,
                                                                                             Qt::Key_F1, {});
    main.cmdRun->click();
    QCoreApplication::processEvents(); // whatever the run left waiting, while the help still gets closed
    closeHelp.stop();

    QCOMPARE(averageWhileHelpUp, QString());
    QCOMPARE(forms::frmHelp->state(), State::Hidden);
    QCOMPARE(main.txtNum->text(), QStringLiteral("10,000,000"));
    QVERIFY(!main.lblAve->text().isEmpty());
}

QTEST_MAIN(tst_Navigation)
#include "tst_navigation.moc"
