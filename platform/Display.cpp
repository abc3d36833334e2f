#include "platform/Display.h"

#include <QtGlobal>

#include <cstdlib>

namespace vellorin::platform {

bool displayAvailable()
{
    // X11 and Wayland systems name their display in the environment (Qt
    // aborts with a long plugin report without one); Windows and the
    // browser always have one.
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_WASM)
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

} // namespace vellorin::platform
