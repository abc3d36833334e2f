// The main window's close box, used during a run after the instructions
// were dismissed with Close and the help was opened and closed: it ends the
// program just as File > Exit does, at the run's next yield. Ending is for
// good, so this is the only test in its process.
#include "platform/FormWindow.h"
#include "platform/Program.h"
#include "support/MainWindowFixture.h"
#include "support/TestSeams.h"
#include "ui/Forms.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace vellorin;
using State = platform::Form::State;

class tst_CloseBox : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void closeBoxDuringARunEndsTheProgram();
};

void tst_CloseBox::closeBoxDuringARunEndsTheProgram()
{
    testing::StandIns standIns;
    testing::CountingPump& pump = standIns.pump;

    ui::frmMain& main = testing::openMainWindow();
    QTimer::singleShot(0, [] {
        QTest::mouseClick(forms::frmHelp->cmdClose, Qt::LeftButton);
    });
    main.mnuHelpHelp->trigger();
    QCOMPARE(forms::frmInstructions->state(), State::Hidden);
    QCOMPARE(forms::frmHelp->state(), State::Hidden);

    QTest::keyClick(main.txtNum, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(main.txtNum, QStringLiteral("10000000"));
    const QPointer<QWidget> windows[] = {main.window(), forms::frmInstructions->window(), forms::frmHelp->window()};
    QList<QPointer<QLabel>> results{main.lblAve, main.lblMax, main.lblMin};
    for (int bin = 1; bin <= 5; ++bin)
        results << main.lblN(bin);

    // At the fifth yield the window system asks the main window to close.
    QStringList resultsBeforeClose;
    QList<State> statesAfterClose;
    pump.atYield = [&](int yield) {
        if (yield != 5)
            return;
        for (const QPointer<QLabel>& label : results)
            resultsBeforeClose << (label ? label->text() : QStringLiteral("(gone)"));
        main.window()->windowHandle()->close();
        statesAfterClose << forms::frmMain->state() << forms::frmInstructions->state() << forms::frmHelp->state();
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

    QCOMPARE(statesAfterClose, QList<State>(3, State::NotLoaded));
    QCOMPARE(status, 0);
    QVERIFY(runReturned);
    QCOMPARE(pump.yields, 5);
    QCOMPARE(resultsBeforeClose, QStringList(8, QString()));
    QCOMPARE(resultsLeftAfterRun, 0);
    QCOMPARE(windowsLeftAfterRun, 0);
    QCOMPARE(forms::frmMain->state(), State::NotLoaded);
    QCOMPARE(forms::frmInstructions->state(), State::NotLoaded);
    QCOMPARE(forms::frmHelp->state(), State::NotLoaded);

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<QWidget>& window : windows)
        QVERIFY(!window);
}

QTEST_MAIN(tst_CloseBox)
#include "tst_closebox.moc"
