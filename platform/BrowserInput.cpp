#include "platform/BrowserInput.h"

#include <QtGlobal>

#ifdef Q_OS_WASM
#include <QApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QTimer>
#include <qpa/qwindowsysteminterface.h>

#include <emscripten/em_js.h>
#endif

namespace vellorin::platform {

#ifdef Q_OS_WASM
namespace {

// Qt's text field is the page's input element that it marks with its input
// context; the key listeners that windows add to it from now on are each
// wrapped so that only the first of them sees a given key event.
EM_JS(void, wrapKeyListenersOfTextField, (), {
    const field = [...document.body.children].find((e) => e.tagName === 'INPUT' && 'data-qinputcontext' in e);
    if (!field)
        return;
    const wrapped = new WeakMap();
    const once = (listener) => {
        if (!wrapped.has(listener)) {
            wrapped.set(listener, (event) => {
                if (event.vellorinKeyTaken)
                    return;
                event.vellorinKeyTaken = true;
                typeof listener === 'function' ? listener.call(field, event) : listener.handleEvent(event);
            });
        }
        return wrapped.get(listener);
    };
    const isKey = (type) => type === 'keydown' || type === 'keyup';
    const add = field.addEventListener;
    const remove = field.removeEventListener;
    field.addEventListener = function (type, listener, options) {
        return add.call(this, type, isKey(type) && listener ? once(listener) : listener, options);
    };
    field.removeEventListener = function (type, listener, options) {
        return remove.call(this, type, isKey(type) && wrapped.has(listener) ? wrapped.get(listener) : listener, options);
    };
});

// Typed text that would overtake keys still queued, or miss the open
// menu, becomes the keys it was typed with, queued behind the others.
class TypedTextAsKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::InputMethod)
            return false;
        const auto* typed = static_cast<QInputMethodEvent*>(event);
        const bool keysQueued = QWindowSystemInterface::windowSystemEventsQueued() > 0;
        if ((!keysQueued && !QApplication::activePopupWidget()) || typed->commitString().isEmpty()
            || !typed->preeditString().isEmpty() || typed->replacementLength() != 0)
            return false;
        // Sent to no window, a key goes where the keyboard focus is; an
        // open menu takes every key.
        for (const QChar character : typed->commitString()) {
            const int key = character.toUpper().unicode();
            QWindowSystemInterface::handleKeyEvent(nullptr, QEvent::KeyPress, key, Qt::NoModifier,
                                                   QString(character));
            QWindowSystemInterface::handleKeyEvent(nullptr, QEvent::KeyRelease, key, Qt::NoModifier,
                                                   QString(character));
        }
        return true;
    }
};

} // namespace
#endif

void keepTypedTextInOrder()
{
#ifdef Q_OS_WASM
    qApp->installEventFilter(new TypedTextAsKeys(qApp));
#endif
}

void takeEachKeyOnce()
{
#ifdef Q_OS_WASM
    wrapKeyListenersOfTextField();
#endif
}

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
