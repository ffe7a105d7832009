// Input arriving at a window from outside the program: what the display backend turns its events
// into, and what tests inject into a headless window. Each call queues the messages a user's
// action would produce on the window's thread and may be made from any thread.
#pragma once

#include "platform/window/messages.h"

#include <string>
#include <vector>

namespace qelt::platform
{

enum class MouseButton
{
    Left,
    Right,
    Middle,
};

// WM_KEYDOWN or WM_KEYUP with a virtual-key code; a key-down's character (0: none) becomes
// WM_CHAR when the loop translates it. A key-down while the key is held counts as a repeat.
bool deliverKey(WindowHandle window, uint32_t virtualKey, bool down, uint32_t character = 0);

// x and y in the window's client coordinates. Each queues WM_SETCURSOR first, then the mouse
// message; with a capture the messages go to the capturing window instead.
bool deliverMouseMove(WindowHandle window, int x, int y);
bool deliverMouseButton(WindowHandle window, MouseButton button, bool down, int x, int y);
// delta in WHEEL_DELTA steps per notch, positive away from the user.
bool deliverMouseWheel(WindowHandle window, int delta, int x, int y);

// The user asked to close the window: WM_CLOSE.
bool deliverCloseRequest(WindowHandle window);

// The display moved or resized the window (x, y relative to its parent, or on the screen):
// records it and queues WM_MOVE and WM_SIZE for what changed.
bool deliverGeometry(WindowHandle window, int x, int y, int width, int height);

// Part of the window must be drawn again.
bool deliverExpose(WindowHandle window);

// The display gave the window the keyboard focus (gained) or took it from the window's
// top-level window (lost). Runs setFocus on the window's own thread.
bool deliverFocus(WindowHandle window, bool gained);

// Files dropped at (x, y) in client coordinates: WM_DROPFILES with a drop handle.
bool deliverFileDrop(WindowHandle window, const std::vector<std::string>& files, int x, int y);

} // namespace qelt::platform
