// The hook the engine puts on the host's render window: size changes, close requests, the
// renderer keys and the end-of-view exchange with the view thread.
#pragma once

#include "platform/window/messages.h"

namespace qelt
{

// Replaces the window's procedure with the hook; false when the window is not one.
bool installRenderWindowHook(platform::WindowHandle window);
// Puts the saved procedure back; nothing when the hook is not installed.
void removeRenderWindowHook();
// What _Close@0 does: ends the view, takes the hook off and waits 2000 ms.
void closeEngine();

} // namespace qelt
