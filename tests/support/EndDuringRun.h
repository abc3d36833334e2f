// Ending the program in the middle of a run: both dialogs loaded but
// hidden, a run of 10,000,000 started with the real button, and at a chosen
// yield the test's way of ending the program. Ending is for good, so each
// way has a test program of its own; this is what they share.
#pragma once

#include "platform/FormWindow.h"
#include "platform/Program.h"
#include "MainWindowFixture.h"
#include "TestSeams.h"
#include "ui/Forms.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace vellorin::testing {

using FormState = platform::Form::State;

struct EndDuringRun {
    int status = -1;           // what the program's event loop returned
    bool runReturned = false;  // the button's click handler came back
    int yields = -1;           // the yields the run took in all
    QStringList resultsBeforeEnd;
    QList<FormState> statesAfterEnd; // main, instructions, help
    int windowsLeftAfterRun = -1;    // still on screen
    int resultsLeftAfterRun = -1;    // result labels with text
    bool windowsDiscarded = false;   // every window object deleted in the end
};

inline EndDuringRun endDuringRun(int atYield, const std::function<void(ui::frmMain&)>& endTheProgram)
{
    StandIns standIns;
    EndDuringRun seen;

    ui::frmMain& main = openMainWindow();
    QTimer::singleShot(0, [] { QTest::mouseClick(forms::frmHelp->cmdClose, Qt::LeftButton); });
    main.mnuHelpHelp->trigger();
    main.window()->activateWindow();
    QTest::keyClick(main.txtNum, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(main.txtNum, QStringLiteral("10000000"));

    const QPointer<QWidget> windows[] = {main.window(), forms::frmInstructions->window(), forms::frmHelp->window()};
    QList<QPointer<QLabel>> results{main.lblAve, main.lblMax, main.lblMin};
    for (int bin = 1; bin <= 5; ++bin)
        results << main.lblN(bin);

    standIns.pump.atYield = [&](int yield) {
        if (yield != atYield)
            return;
        for (const QPointer<QLabel>& label : results)
            seen.resultsBeforeEnd << (label ? label->text() : QStringLiteral("(gone)"));
        endTheProgram(main);
        seen.statesAfterEnd << forms::frmMain->state() << forms::frmInstructions->state() << forms::frmHelp->state();
    };

    QTimer::singleShot(0, qApp, [&] {
        QTest::mouseClick(main.cmdRun, Qt::LeftButton);
        seen.runReturned = true;
        seen.windowsLeftAfterRun = 0;
        for (const QPointer<QWidget>& window : windows)
            seen.windowsLeftAfterRun += window && window->isVisible();
        seen.resultsLeftAfterRun = 0;
        for (const QPointer<QLabel>& label : results)
            seen.resultsLeftAfterRun += label && !label->text().isEmpty();
        // Had the program not ended, the loop would run on for ever.
        if (!platform::programEnding())
            QCoreApplication::exit(1);
    });
    seen.status = QApplication::exec();
    seen.yields = standIns.pump.yields;

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    seen.windowsDiscarded = std::none_of(std::begin(windows), std::end(windows),
                                         [](const QPointer<QWidget>& window) { return !window.isNull(); });
    return seen;
}

// What every way of ending must come to, ending at yield `atYield`.
inline void verifyEndedAt(const EndDuringRun& seen, int atYield)
{
    QCOMPARE(seen.statesAfterEnd, QList<FormState>(3, FormState::NotLoaded));
    QCOMPARE(seen.status, 0);
    QVERIFY(seen.runReturned);
    // The run stopped at that yield: the results were blank then and were
    // never filled, and no window was left on screen.
    QCOMPARE(seen.yields, atYield);
    QCOMPARE(seen.resultsBeforeEnd, QStringList(8, QString()));
    QCOMPARE(seen.resultsLeftAfterRun, 0);
    QCOMPARE(seen.windowsLeftAfterRun, 0);
    QVERIFY(seen.windowsDiscarded);
}

} // namespace vellorin::testing
