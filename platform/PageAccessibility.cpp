#include "platform/PageAccessibility.h"

#include <QtGlobal>

#ifdef Q_OS_WASM
#include <QAccessible>
#include <QApplication>
#include <QWidget>
#include <QtGui/private/qaccessiblebridgeutils_p.h>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <emscripten/bind.h>
#include <emscripten/emscripten.h>
#endif

namespace vellorin::platform {

#ifdef Q_OS_WASM
namespace {

// Qt's mirror is on once its button has gone from the page's screen.
EM_JS(int, pageMirrorOn, (), {
    const root = document.querySelector('#qt-shadow-container')?.shadowRoot;
    return root && root.querySelector('.qt-window')
        && !root.querySelector('button.hidden-visually-read-by-screen-reader') ? 1 : 0;
});

// Qt builds its mirror when its button is pressed, which may be long after
// the program last changed anything; the page then asks for the whole
// mirror to be completed at once. (Qt's own handler of the press runs
// first: the button is where the click starts.)
EM_JS(void, completeMirrorWhenTurnedOn, (), {
    document.addEventListener('click', (event) => {
        const target = event.composedPath()[0];
        if (target?.classList?.contains('hidden-visually-read-by-screen-reader'))
            Module.vellorinCompletePageMirror();
    });
});

// Names a mirrored element and gives it what its kind needs: the box its
// text, a dialog its open state (kept out of sight: Qt draws the window),
// a window or a frame the role that says what it is.
EM_JS(void, completeMirrorElement, (const char* id, const char* kindText, const char* labelText,
                                    const char* valueText, int shown), {
    const root = document.querySelector('#qt-shadow-container')?.shadowRoot;
    const element = root && root.getElementById(UTF8ToString(id));
    if (!element)
        return;
    const kind = UTF8ToString(kindText);
    const label = UTF8ToString(labelText);
    if (label)
        element.setAttribute('aria-label', label);
    if (kind === 'box') {
        element.value = UTF8ToString(valueText);
    } else if (kind === 'dialog') {
        element.style.clipPath = 'inset(50%)';
        if (shown)
            element.setAttribute('open', '');
        else
            element.removeAttribute('open');
    } else if (kind === 'button') {
        element.setAttribute('type', 'button');
    } else if (kind === 'window') {
        element.setAttribute('role', 'region');
    } else if (kind === 'frame') {
        element.setAttribute('role', 'group');
    }
});

void passToQt(QAccessibleEvent* event)
{
    if (QPlatformAccessibility* accessibility = QGuiApplicationPrivate::platformIntegration()->accessibility())
        accessibility->notifyAccessibilityUpdate(event);
}

void complete(QAccessibleInterface* accessible)
{
    if (!accessible || !accessible->isValid())
        return;
    const char* kind = "";
    QString label;
    QString value;
    switch (accessible->role()) {
    case QAccessible::Button:
        kind = "button";
        label = accessible->text(QAccessible::Name);
        break;
    case QAccessible::EditableText:
        kind = "box";
        label = accessible->text(QAccessible::Name);
        value = accessible->text(QAccessible::Value);
        break;
    case QAccessible::StaticText:
        // The result labels say what they show in their description; their
        // text is the value.
        label = accessible->text(QAccessible::Description);
        break;
    case QAccessible::Dialog:
        kind = "dialog";
        label = accessible->text(QAccessible::Name);
        break;
    case QAccessible::Window:
        kind = "window";
        label = accessible->text(QAccessible::Name);
        break;
    case QAccessible::Grouping:
        kind = "frame";
        label = accessible->text(QAccessible::Name);
        break;
    default:
        return;
    }
    completeMirrorElement(QAccessibleBridgeUtils::accessibleId(accessible).toUtf8().constData(), kind,
                          label.toUtf8().constData(), value.toUtf8().constData(),
                          accessible->state().invisible ? 0 : 1);
}

// Tells Qt's mirror of a window and everything on it that is on screen.
void mirrorWhole(QWidget* window)
{
    QList<QWidget*> widgets{window};
    widgets += window->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        if (!widget->isVisible())
            continue;
        QAccessibleEvent shown(widget, QAccessible::ObjectShow);
        passToQt(&shown);
        complete(shown.accessibleInterface());
    }
}

bool filledIn = false;

void completeWholeMirror()
{
    if (!pageMirrorOn())
        return;
    filledIn = true;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible())
            mirrorWhole(window);
}

void update(QAccessibleEvent* event)
{
    passToQt(event);
    if (!pageMirrorOn())
        return;
    if (!filledIn)
        completeWholeMirror();
    complete(event->accessibleInterface());
}

} // namespace

EMSCRIPTEN_BINDINGS(vellorinPageAccessibility)
{
    emscripten::function("vellorinCompletePageMirror", &completeWholeMirror);
}

void installPageAccessibility()
{
    QAccessible::installUpdateHandler(update);
    completeMirrorWhenTurnedOn();
}

#else

void installPageAccessibility() {}

#endif

} // namespace vellorin::platform
