#include "platform/BrowserInput.h"

#include <QtGlobal>

#ifdef Q_OS_WASM
#include <QGuiApplication>
#include <QInputMethod>
#include <QTimer>
#endif

namespace vellorin::platform {

void takeTypedTextAtFocus()
{
#ifdef Q_OS_WASM
    // Once Qt's own handling of the focus change is through; asking for
    // the input panel is what a click on the box does, and a focus object
    // that takes no text leaves it off.
    QObject::connect(qGuiApp, &QGuiApplication::focusObjectChanged, qGuiApp, [](QObject* focus) {
        if (focus)
            QTimer::singleShot(0, focus, [] { QGuiApplication::inputMethod()->show(); });
    });
#endif
}

} // namespace vellorin::platform
