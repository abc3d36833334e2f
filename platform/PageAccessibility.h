// In the browser, Qt mirrors the widgets into the page for screen readers
// once its "Enable Screen Reader" button is pressed. Qt 6.8's mirror leaves
// out what this program's users need: the widgets it heard nothing of since
// (the main window's box and button), the names of the box and of the
// result labels, and the open state of dialogs. This fills them in, after
// Qt's own handling of each accessibility event. Elsewhere it does nothing.
#pragma once

namespace vellorin::platform {

void installPageAccessibility();

} // namespace vellorin::platform
