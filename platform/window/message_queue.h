// The message queue of each thread: posting from any thread, sending with a wait for the owner,
// peeking, getting, dispatching and quitting.
//
// A thread gets its queue the first time it uses one of these functions or creates a window.
// Messages sent to a thread's windows from other threads run on that thread while it gets,
// peeks, waits or itself sends. When a thread ends, its windows go away with it and whatever was
// sent to them answers 0.
#pragma once

#include "platform/window/messages.h"

#include <chrono>
#include <thread>

namespace qelt::platform
{

// Queues the message for the window's thread; a null window queues it for the calling thread
// itself. false when the window is not a window, its thread has ended, or its queue already
// holds 10000 messages.
bool postMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Queues a message without a window for the given thread; false when it has no queue.
bool postThreadMessage(std::thread::id thread, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Runs the window's procedure and returns its answer. On the owning thread it is a plain call;
// from another thread the caller waits until the owner has run it, handling the messages sent to
// its own windows meanwhile. 0 when the window is not a window or its thread ends first.
intptr_t sendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Asks the calling thread's message loop to end: getMessage returns 0 with WM_QUIT once the
// messages posted before have been taken.
void postQuitMessage(int exitCode);

inline constexpr unsigned PM_NOREMOVE = 0;
inline constexpr unsigned PM_REMOVE = 1;

// Takes the next message for the calling thread, in this order: posted messages and input,
// WM_QUIT, WM_PAINT of a window that needs it. window (null: any window of the thread and the
// thread's own messages) and the range first..last (0, 0: all) select. WM_PAINT stays until the
// window is validated, whether removed or not. false when nothing matches.
bool peekMessage(cMessage* message, WindowHandle window, uint32_t first, uint32_t last,
                 unsigned flags);

// Waits for the next message as peekMessage selects it. 1 for a message, 0 for WM_QUIT, -1 when
// window is given but is not a window of the calling thread.
int getMessage(cMessage* message, WindowHandle window, uint32_t first, uint32_t last);

// Turns a key-down that carries a character into WM_CHAR, queued next. true when it did.
bool translateMessage(const cMessage& message);

// Runs the procedure of the message's window with it; 0 for a thread message or a window that
// is gone.
intptr_t dispatchMessage(const cMessage& message);

// Waits until something arrives for the calling thread (a posted or sent message, WM_QUIT, a
// paint request, an answered message box). Returns at once when something is already there.
void waitMessage();
// The same, but gives up after timeout; true when something arrived.
bool waitMessageFor(std::chrono::milliseconds timeout);

} // namespace qelt::platform
