#include "platform/Program.h"

#include "platform/Form.h"

#include <QCoreApplication>

#ifdef Q_OS_WASM
#include <emscripten/emscripten.h>
#endif

namespace vellorin::platform {
namespace {
bool ending = false;
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
    // program alive.
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] { emscripten_force_exit(0); },
                              Qt::QueuedConnection);
#endif
}

bool programEnding() { return ending; }

} // namespace vellorin::platform
