// In the browser, Qt takes typed text through a hidden text field of the
// page, which it turns on when a text box is clicked but not when the
// keyboard focus comes to one by itself (a dialog opening or closing).
// This turns it on whenever the focus lands in a text box, so the program
// takes typed text with no click, as on the desktop. Elsewhere it does
// nothing.
#pragma once

namespace vellorin::platform {

void takeTypedTextAtFocus();

} // namespace vellorin::platform
