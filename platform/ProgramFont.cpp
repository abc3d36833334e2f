#include "platform/ProgramFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace vellorin::platform {

QString programFontFamily()
{
    static const QString family = [] {
        QString name;
        for (const char* file : {":/fonts/LiberationSansNarrow-Regular.ttf",
                                 ":/fonts/LiberationSansNarrow-Bold.ttf"}) {
            const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            if (name.isEmpty() && !families.isEmpty())
                name = families.first();
        }
        // Should the embedded face ever fail to load, fall back to the
        // machine's sans-serif rather than to nothing.
        return name.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::GeneralFont).family() : name;
    }();
    return family;
}

QFont programFont(double pointSize, bool bold)
{
    QFont font(programFontFamily());
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace vellorin::platform
