// Spoken notices: a message for assistive technology to present without
// moving the focus, for what appears on screen after a command.
#pragma once

class QObject;
class QString;

namespace vellorin::platform {

// Asks a screen reader to speak `message` politely, after what it is
// saying now; `source` is the window the message concerns. Where the
// toolkit offers no announcements, nothing is said.
void announce(QObject* source, const QString& message);

} // namespace vellorin::platform
