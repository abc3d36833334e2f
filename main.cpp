// Vellorin: start-up. The main window is the start-up window; its load step
// brings up the instructions, and the program runs until File > Exit or the
// main window's close box ends it.
#include "platform/Display.h"
#include "platform/Program.h"
#include "platform/ProgramFont.h"
#include "ui/Forms.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (!vellorin::platform::displayAvailable()) {
        // Named as it was started: build/vellorin from the source tree, plain
        // vellorin when installed.
        std::fprintf(stderr,
                     "vellorin: no display found (DISPLAY is not set); to run without a screen use: "
                     "xvfb-run -a %s\n",
                     argc > 0 && argv[0] ? argv[0] : "vellorin");
        return 1;
    }

    // The program takes no arguments, Qt's own options included: the
    // toolkit sees only the program's name.
    static char programName[] = "vellorin";
    char* toolkitArgv[] = {argc > 0 && argv[0] ? argv[0] : programName, nullptr};
    int toolkitArgc = 1;
    QApplication application(toolkitArgc, toolkitArgv);
    QApplication::setApplicationName(QStringLiteral("Vellorin"));
    QApplication::setApplicationVersion(QStringLiteral(VELLORIN_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(vellorin::platform::programFont());

    const int status = vellorin::platform::runProgram([] {
        vellorin::forms::frmMain->load();
        vellorin::forms::frmMain->show();
    });

    // Unloaded windows go with their pending deletions, before the
    // application object does.
    vellorin::forms::discardAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}
