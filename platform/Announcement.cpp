#include "platform/Announcement.h"

#include <QAccessible>
#include <QString>
#include <QtGlobal>

namespace vellorin::platform {

void announce(QObject* source, const QString& message)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(source, message);
    event.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
    QAccessible::updateAccessibility(&event);
#else
    Q_UNUSED(source);
    Q_UNUSED(message);
#endif
}

} // namespace vellorin::platform
