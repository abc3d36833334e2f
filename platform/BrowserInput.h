// In the browser, Qt takes typed text through a hidden text field of the
// page, which it turns on when a text box is clicked but not when the
// keyboard focus comes to one by itself (a dialog opening or closing).
// This turns it on whenever the focus lands in a text box, so the program
// takes typed text with no click, as on the desktop. Elsewhere it does
// nothing.
#pragma once

namespace vellorin::platform {

void takeTypedTextAtFocus();

// In the browser, every window of the program listens for keys at that
// hidden text field, and each passes a key on to the program unless an
// earlier one has finished with it. A key whose command waits (Enter
// bringing up the prompt) leaves the browser's handling of it unfinished,
// and the next window's listener would pass the same key on again, into
// the window just opened. This lets each key through once. Elsewhere it
// does nothing.
void takeEachKeyOnce();

// In the browser, text typed into a text box comes to the program as
// text for the box, at once, while keys go through Qt's queue of the
// page's input, which a run holds at its turns; and it comes to the box
// even while a menu is open. So Alt+F then X typed during a run, or
// quickly on a slow device, put "x" into the box instead of choosing Exit.
// This makes such text the keys it was typed with, behind the keys typed
// before it, where keys go. Elsewhere it does nothing.
void keepTypedTextInOrder();

} // namespace vellorin::platform
