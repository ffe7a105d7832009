// The state behind the window functions: the class and window tables, the thread queues, focus,
// capture and cursor, and the display backend. Internal to platform/window.
//
// One instance serves the whole process. The program and every shared library carry their own
// copy of this code, so the instance is found through an environment variable that holds the
// creating process's id and the instance's address; a library loaded later finds the one the
// program made. Everything in it is guarded by `lock`; no procedure and no backend call runs
// while it is held.
#pragma once

#include "platform/window/backend.h"
#include "platform/window/message_queue.h"
#include "platform/window/window.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace qelt::platform::window_detail
{

struct cThreadQueue;

// A message sent from one thread to a window of another, or work the window system itself
// must do on the owning thread.
struct cSentMessage
{
    enum class Action
    {
        Procedure,   // run the window's procedure with the message
        Destroy,     // destroyWindow on the owning thread
        FocusGained, // the display gave the window the focus
        FocusLost,   // the display took the focus from the window's top-level window
    };

    Action action = Action::Procedure;
    WindowHandle window = nullptr;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    intptr_t result = 0;
    bool done = false;
    std::shared_ptr<cThreadQueue> sender; // woken when done; null when nobody waits
};

struct cThreadQueue
{
    // A thread that stops taking its messages does not grow its queue for ever: posting fails
    // beyond this many.
    static constexpr std::size_t kMaxPosted = 10000;

    std::thread::id thread;
    bool alive = true;
    std::deque<cMessage> posted;
    std::deque<std::shared_ptr<cSentMessage>> sent;
    bool quit = false;
    int quitCode = 0;
    bool woken = false;      // something arrived that is not a message (a message box answer)
    uint64_t generation = 0; // counts every change, so a waiting thread misses none
    std::condition_variable changed;
};

struct cClassRecord
{
    cWindowClass windowClass;
};

struct cWindowRecord
{
    WindowHandle handle = nullptr;
    std::string className;
    uint32_t classStyle = 0;
    CursorHandle classCursor = nullptr;
    bool background = false;
    WindowProcedure procedure = nullptr;
    WindowHandle parent = nullptr;
    std::vector<WindowHandle> children;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    cRect rect; // relative to the parent, or on the screen
    std::string title;
    intptr_t userData = 0;
    bool destroying = false;
    bool needsPaint = false;
    bool needsErase = false;
    std::shared_ptr<cThreadQueue> queue; // of the owning thread
    uintptr_t native = 0;                // the backend's window; 0 when virtual
};

struct cDrop
{
    std::vector<std::string> files;
    cPoint point;
};

class cWindowSystem
{
  public:
    static constexpr uint64_t kMagic = 0x514C5457494E0001ull; // checked by libraries that find it

    cWindowSystem();
    ~cWindowSystem();

    uint64_t magic = kMagic;
    uint64_t size = sizeof(cWindowSystem); // a library built differently refuses the instance

    std::mutex lock;
    std::unique_ptr<cWindowBackend> backend; // replaced by a headless one at shutdown
    std::map<std::string, cClassRecord> classes;
    std::unordered_map<WindowHandle, std::unique_ptr<cWindowRecord>> windows;
    std::vector<WindowHandle> topLevel; // in creation order
    std::unordered_map<uintptr_t, WindowHandle> byNative;
    uintptr_t nextHandle = 0x1000;
    std::unordered_map<std::thread::id, std::shared_ptr<cThreadQueue>> queues;

    WindowHandle focus = nullptr;
    WindowHandle active = nullptr;
    WindowHandle capture = nullptr;
    WindowHandle pointerWindow = nullptr; // the last window the pointer moved over
    cPoint pointer;                       // where the pointer is when the backend does not know
    uintptr_t buttons = 0;                // MK_* of the buttons held
    std::map<uint32_t, bool> keysDown;
    CursorHandle cursor = nullptr;
    int cursorCount = 0;
    std::map<uintptr_t, cDrop> drops;
    uintptr_t nextDrop = 1;

    // ---- lookups; the caller holds lock -----------------------------------------------------
    cWindowRecord* find(WindowHandle window);
    // The queue of the calling thread, made on first use.
    std::shared_ptr<cThreadQueue> currentQueue();
    WindowHandle topLevelOf(WindowHandle window);
    cPoint screenOrigin(WindowHandle window);
    // Wakes the thread that owns the queue.
    static void notify(cThreadQueue& queue);
    // True when the queue holds something getMessage would take (a paint request included).
    bool hasPending(const cThreadQueue& queue);

    // ---- work done outside the lock ---------------------------------------------------------
    // Runs a sent message or action on the calling (owning) thread.
    intptr_t runSent(const cSentMessage& sent);
    // Runs every message sent to the calling thread's windows; false when there was none.
    bool runIncomingSent();
    // Runs the sent message on the window's owning thread and waits for its result, running the
    // messages sent to the calling thread meanwhile. 0 when the window or its thread goes first.
    intptr_t sendAndWait(const std::shared_ptr<cSentMessage>& sent);
    // Sends an action to the window's owning thread without waiting for it.
    void postAction(WindowHandle window, cSentMessage::Action action);

    // The thread ended: its windows go, and messages sent to them answer 0.
    void threadEnded(std::thread::id thread);
    // Stops the display backend; windows become virtual.
    void shutdown();
};

// The process's instance, made on first use.
cWindowSystem& windowSystem();

// Milliseconds of the steady clock, as messages carry them.
uint32_t messageTime();

} // namespace qelt::platform::window_detail
