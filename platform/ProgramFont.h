// The program's typeface. The boxes of every window are fixed, so the face
// must be narrow enough for each text to fit; it ships inside the program,
// so it looks the same whatever fonts the machine has.
#pragma once

#include <QFont>

namespace vellorin::platform {

QString programFontFamily();
QFont programFont(double pointSize = 8.25, bool bold = false);

} // namespace vellorin::platform
