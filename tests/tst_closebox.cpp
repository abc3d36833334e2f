// The main window's close box used during a run, after the instructions
// were dismissed with Close and the help was opened and closed: it ends the
// program just as File > Exit does, at the run's next yield.
#include "support/EndDuringRun.h"

#include <QWindow>

using namespace vellorin;

class tst_CloseBox : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void closeBoxDuringARunEndsTheProgram()
    {
        const testing::EndDuringRun seen = testing::endDuringRun(5, [](ui::frmMain& main) {
            main.window()->windowHandle()->close();
        });
        testing::verifyEndedAt(seen, 5);
    }
};

QTEST_MAIN(tst_CloseBox)
#include "tst_closebox.moc"
