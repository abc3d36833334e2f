#include "platform/Announcement.h"

#include <QAccessible>
#include <QString>
#include <QtGlobal>

#ifdef Q_OS_WASM
#include <emscripten/emscripten.h>
#endif

namespace vellorin::platform {

#ifdef Q_OS_WASM
namespace {
// Qt's page mirror of the widgets passes no announcements on; a polite
// live region of the page's own carries them (the page holds one with this
// id, so that it is there before its first change).
EM_JS(void, announceInPage, (const char* message), {
    let region = document.getElementById('vellorin-announcement');
    if (!region) {
        region = document.createElement('div');
        region.id = 'vellorin-announcement';
        region.setAttribute('role', 'status');
        region.setAttribute('aria-live', 'polite');
        region.style.cssText = 'position:absolute;width:1px;height:1px;overflow:hidden;clip:rect(0 0 0 0)';
        document.body.appendChild(region);
    }
    region.textContent = UTF8ToString(message);
});
} // namespace
#endif

void announce(QObject* source, const QString& message)
{
#ifdef Q_OS_WASM
    Q_UNUSED(source);
    announceInPage(message.toUtf8().constData());
#elif QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(source, message);
    event.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
    QAccessible::updateAccessibility(&event);
#else
    Q_UNUSED(source);
    Q_UNUSED(message);
#endif
}

} // namespace vellorin::platform
