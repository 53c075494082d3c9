#pragma once

#include <string>

namespace pellumo {

// Tells the person who started the show why it cannot play. Always on stderr; and since a
// show is mostly started from a file manager, where nobody reads stderr, also in a box of the
// desktop's own message tool (zenity, kdialog or xmessage, the first one found) when stderr is
// no terminal and a display is there. The box is left open after the launcher ends.
void TellPerson(const std::string& message);

}  // namespace pellumo
