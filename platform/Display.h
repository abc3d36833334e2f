// Whether the program has a window system to show its windows on.
#pragma once

namespace vellorin::platform {

bool displayAvailable();

} // namespace vellorin::platform
