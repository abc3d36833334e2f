#include "platform/Program.h"

#include "platform/Form.h"

#include <QCoreApplication>
#include <QTimer>

#ifdef Q_OS_WASM
#include <emscripten/emscripten.h>
#endif

namespace vellorin::platform {
namespace {
bool ending = false;
}

int runProgram(void (*start)())
{
#ifdef Q_OS_WASM
    // In the browser the event loop is the page's: exec() hands the thread
    // back to it at once. A modal window waits by suspending its caller,
    // and a start-up that waited before exec() would enter exec() later on
    // a resumed stack, where its hand-back is an uncaught exception. So the
    // start-up runs as the loop's first task.
    QTimer::singleShot(0, QCoreApplication::instance(), start);
    return QCoreApplication::exec();
#else
    start();
    return programEnding() ? 0 : QCoreApplication::exec();
#endif
}

void endProgram()
{
    if (ending)
        return;
    ending = true;
    unloadAllForms();
    QCoreApplication::exit(0);
#ifdef Q_OS_WASM
    // In the browser the event loop never returns to main(): the program
    // ends here, once the command that ended it is through, and the page
    // is told (it then says so and offers to start again). Forced: the
    // browser's callbacks that Qt keeps waiting would otherwise keep the
    // program alive. A forced end unwinds with an exception that only the
    // runtime's own callbacks catch, so it comes from a task of its own:
    // from Qt's queue it could run on a run's stack resumed at a yield
    // (File > Exit during a run), and reach the page as an uncaught error.
    emscripten_async_call([](void*) { emscripten_force_exit(0); }, nullptr, 0);
#endif
}

bool programEnding() { return ending; }

} // namespace vellorin::platform
