// File > Exit chosen by its keys while a run is under way: it takes effect
// at the run's next yield, the run stops there and never shows its results,
// every window goes (the hidden dialogs too) and the event loop returns 0.
#include "support/EndDuringRun.h"

#include <QMenu>
#include <QWindow>

using namespace vellorin;

class tst_ExitDuringRun : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void exitAtAYieldEndsTheProgram()
    {
        bool menuOpened = false;
        bool endingAfterExit = false;
        const testing::EndDuringRun seen = testing::endDuringRun(3, [&](ui::frmMain& main) {
            QTest::keyClick(main.window()->windowHandle(), Qt::Key_F, Qt::AltModifier);
            menuOpened = QApplication::activePopupWidget() == main.mnuFile;
            if (menuOpened)
                QTest::keyClick(main.mnuFile->windowHandle(), Qt::Key_X);
            endingAfterExit = platform::programEnding();
        });
        QVERIFY(menuOpened);
        QVERIFY(endingAfterExit);
        testing::verifyEndedAt(seen, 3);
    }
};

QTEST_MAIN(tst_ExitDuringRun)
#include "tst_exitduringrun.moc"
