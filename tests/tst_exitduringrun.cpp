// File > Exit chosen while a run is under way: it takes effect at the run's
// next yield, the run stops there and never shows its results, every window
// goes (the hidden dialogs too) and the program's event loop returns 0.
// Ending is for good, so this is the only test in its process.
#include "platform/FormWindow.h"
#include "platform/Program.h"
#include "support/MainWindowFixture.h"
#include "support/TestSeams.h"
#include "ui/Forms.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace vellorin;
using State = platform::Form::State;

class tst_ExitDuringRun : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void exitAtAYieldEndsTheProgram();
};

void tst_ExitDuringRun::exitAtAYieldEndsTheProgram()
{
    testing::StandIns standIns;
    testing::CountingPump& pump = standIns.pump;

    // Start-up dismissed with Close, and the help opened and closed: both
    // dialogs are loaded but hidden when the program ends.
    ui::frmMain& main = testing::openMainWindow();
    QTimer::singleShot(0, [] { QTest::keyClick(forms::frmHelp->window()->windowHandle(), Qt::Key_Escape); });
    main.mnuHelpHelp->trigger();
    QCOMPARE(forms::frmInstructions->state(), State::Hidden);
    QCOMPARE(forms::frmHelp->state(), State::Hidden);

    main.window()->activateWindow();
    QTRY_VERIFY(main.window()->isActiveWindow());
    QTest::keyClick(main.txtNum, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(main.txtNum, QStringLiteral("10000000"));

    const QPointer<QWidget> windows[] = {main.window(), forms::frmInstructions->window(), forms::frmHelp->window()};
    QList<QPointer<QLabel>> results{main.lblAve, main.lblMax, main.lblMin};
    for (int bin = 1; bin <= 5; ++bin)
        results << main.lblN(bin);

    // At the third yield the user opens File and picks Exit by its keys.
    bool menuOpened = false;
    bool endingAtExit = false;
    QStringList resultsBeforeExit;
    QList<State> statesAtExit;
    pump.atYield = [&](int yield) {
        if (yield != 3)
            return;
        for (const QPointer<QLabel>& label : results)
            resultsBeforeExit << (label ? label->text() : QStringLiteral("(gone)"));
        QTest::keyClick(main.window()->windowHandle(), Qt::Key_F, Qt::AltModifier);
        menuOpened = QApplication::activePopupWidget() == main.mnuFile;
        if (menuOpened)
            QTest::keyClick(main.mnuFile->windowHandle(), Qt::Key_X);
        endingAtExit = platform::programEnding();
        statesAtExit << forms::frmMain->state() << forms::frmInstructions->state() << forms::frmHelp->state();
    };

    bool runReturned = false;
    int windowsLeftAfterRun = -1, resultsLeftAfterRun = -1;
    QTimer::singleShot(0, qApp, [&] {
        QTest::mouseClick(main.cmdRun, Qt::LeftButton);
        runReturned = true;
        windowsLeftAfterRun = 0;
        for (const QPointer<QWidget>& window : windows)
            windowsLeftAfterRun += window && window->isVisible();
        resultsLeftAfterRun = 0;
        for (const QPointer<QLabel>& label : results)
            resultsLeftAfterRun += label && !label->text().isEmpty();
        // Had the program not ended, the loop would run on for ever.
        if (!platform::programEnding())
            QCoreApplication::exit(1);
    });
    const int status = QApplication::exec();

    QVERIFY(menuOpened);
    QVERIFY(endingAtExit);
    QCOMPARE(statesAtExit, QList<State>(3, State::NotLoaded));
    QCOMPARE(status, 0);
    QVERIFY(runReturned);
    // The run stopped at the yield where Exit was chosen: the results were
    // blank then and never filled, and no window was left on screen.
    QCOMPARE(pump.yields, 3);
    QCOMPARE(resultsBeforeExit, QStringList(8, QString()));
    QCOMPARE(resultsLeftAfterRun, 0);
    QCOMPARE(windowsLeftAfterRun, 0);
    QCOMPARE(forms::frmMain->state(), State::NotLoaded);
    QCOMPARE(forms::frmInstructions->state(), State::NotLoaded);
    QCOMPARE(forms::frmHelp->state(), State::NotLoaded);

    // Every window is discarded, the run's timer with the main window.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<QWidget>& window : windows)
        QVERIFY(!window);
}

QTEST_MAIN(tst_ExitDuringRun)
#include "tst_exitduringrun.moc"
