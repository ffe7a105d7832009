// SIGINT and SIGTERM as a close request to the program's window, so Ctrl+C in a terminal or a kill
// ends the program through the same exchange as the close box.
#pragma once

#include "platform/window/messages.h"

namespace qelt
{

// From now on the first SIGINT or SIGTERM posts WM_CLOSE to window; a second one ends the process
// at once by the signal's default action.
void closeWindowOnSignals(platform::WindowHandle window);

} // namespace qelt
