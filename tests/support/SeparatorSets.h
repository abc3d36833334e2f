// The separator pairs the number text tests read and write with.
#pragma once

#include "core/NumberText.h"

#include <QMetaType>

Q_DECLARE_METATYPE(vellorin::NumberSeparators)

namespace vellorin::testing {

inline const NumberSeparators english{".", ","};
inline const NumberSeparators german{",", "."};
// No machine's regional settings use these, so a pass cannot come from the locale.
inline const NumberSeparators odd{"~", "'"};
// Narrow no-break space (U+202F): a group separator three bytes long.
inline const NumberSeparators french{",", "\u202f"};

} // namespace vellorin::testing
