// Input from the display (or a test) turned into queued messages: keys, pointer, close
// requests, geometry, exposure, focus and dropped files.
#include "platform/window/input.h"

#include "platform/window/message_queue.h"
#include "platform/window/window_system.h"

namespace qelt::platform
{

using window_detail::cSentMessage;
using window_detail::cThreadQueue;
using window_detail::cWindowRecord;
using window_detail::cWindowSystem;
using window_detail::windowSystem;

namespace
{

using Guard = std::lock_guard<std::mutex>;

// Drops nobody finished are forgotten, oldest first, beyond this many.
constexpr std::size_t kMaxDrops = 64;

// Queues one message for the window's thread; the caller holds the lock.
void enqueue(cWindowSystem& system, cWindowRecord& record, uint32_t message, uintptr_t wParam,
             intptr_t lParam, uint32_t character = 0)
{
    if (!record.queue->alive || record.queue->posted.size() >= cThreadQueue::kMaxPosted)
    {
        return;
    }
    cMessage queued;
    queued.window = record.handle;
    queued.message = message;
    queued.wParam = wParam;
    queued.lParam = lParam;
    queued.time = window_detail::messageTime();
    queued.point = system.pointer;
    queued.character = character;
    record.queue->posted.push_back(queued);
    cWindowSystem::notify(*record.queue);
}

// The pointer moved to (x, y) of window: records it and finds who gets the mouse message (the
// capture, if any) and where in its client area. The caller holds the lock.
cWindowRecord* pointerTarget(cWindowSystem& system, WindowHandle window, int x, int y,
                             cPoint* client)
{
    cWindowRecord* record = system.find(window);
    if (record == nullptr)
    {
        return nullptr;
    }
    const cPoint origin = system.screenOrigin(window);
    system.pointer = {origin.x + x, origin.y + y};
    system.pointerWindow = window;
    cWindowRecord* target = record;
    if (cWindowRecord* capture = system.find(system.capture))
    {
        target = capture;
    }
    const cPoint targetOrigin = system.screenOrigin(target->handle);
    *client = {system.pointer.x - targetOrigin.x, system.pointer.y - targetOrigin.y};
    return target;
}

void enqueueMouse(cWindowSystem& system, cWindowRecord& target, uint32_t message, uintptr_t wParam,
                  const cPoint& client)
{
    // WM_SETCURSOR asks the window under the pointer which cursor to show, unless captured.
    if (system.capture == nullptr)
    {
        enqueue(system, target, WM_SETCURSOR, reinterpret_cast<uintptr_t>(target.handle),
                makeLParam(HTCLIENT, static_cast<int>(message)));
    }
    enqueue(system, target, message, wParam, makeLParam(client.x, client.y));
}

uintptr_t keyState(cWindowSystem& system)
{
    uintptr_t state = system.buttons;
    if (system.keysDown[VK_SHIFT])
    {
        state |= MK_SHIFT;
    }
    if (system.keysDown[VK_CONTROL])
    {
        state |= MK_CONTROL;
    }
    return state;
}

} // namespace

bool deliverKey(WindowHandle window, uint32_t virtualKey, bool down, uint32_t character)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    cWindowRecord* record = system.find(window);
    if (record == nullptr || virtualKey == 0 || virtualKey > 0xFF)
    {
        return false;
    }
    const bool wasDown = system.keysDown[virtualKey];
    system.keysDown[virtualKey] = down;
    intptr_t lParam = 1;
    if (wasDown)
    {
        lParam |= kKeyPreviouslyDown;
    }
    if (!down)
    {
        lParam |= kKeyReleased;
    }
    enqueue(system, *record, down ? WM_KEYDOWN : WM_KEYUP, virtualKey, lParam,
            down ? character : 0);
    return true;
}

bool deliverMouseMove(WindowHandle window, int x, int y)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    cPoint client;
    cWindowRecord* target = pointerTarget(system, window, x, y, &client);
    if (target == nullptr)
    {
        return false;
    }
    enqueueMouse(system, *target, WM_MOUSEMOVE, keyState(system), client);
    return true;
}

bool deliverMouseButton(WindowHandle window, MouseButton button, bool down, int x, int y)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    cPoint client;
    cWindowRecord* target = pointerTarget(system, window, x, y, &client);
    if (target == nullptr)
    {
        return false;
    }
    uint32_t message = 0;
    uintptr_t flag = 0;
    switch (button)
    {
    case MouseButton::Left:
        message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        flag = MK_LBUTTON;
        break;
    case MouseButton::Right:
        message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        flag = MK_RBUTTON;
        break;
    case MouseButton::Middle:
        message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        flag = MK_MBUTTON;
        break;
    }
    system.buttons = down ? system.buttons | flag : system.buttons & ~flag;
    enqueueMouse(system, *target, message, keyState(system), client);
    return true;
}

bool deliverMouseWheel(WindowHandle window, int delta, int x, int y)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    cPoint client;
    cWindowRecord* target = pointerTarget(system, window, x, y, &client);
    if (target == nullptr)
    {
        return false;
    }
    // The wheel reports the pointer on the screen, not in the window.
    const uintptr_t wParam =
        keyState(system) | (static_cast<uintptr_t>(static_cast<uint16_t>(delta)) << 16);
    enqueue(system, *target, WM_MOUSEWHEEL, wParam, makeLParam(system.pointer.x, system.pointer.y));
    return true;
}

bool deliverCloseRequest(WindowHandle window)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    cWindowRecord* record = system.find(window);
    if (record == nullptr)
    {
        return false;
    }
    enqueue(system, *record, WM_CLOSE, 0, 0);
    return true;
}

bool deliverGeometry(WindowHandle window, int x, int y, int width, int height)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    cWindowRecord* record = system.find(window);
    if (record == nullptr || width < 0 || height < 0)
    {
        return false;
    }
    const cRect old = record->rect;
    record->rect = {x, y, x + width, y + height};
    // A change the program made itself comes back from the display unchanged and says nothing.
    if (old.left != x || old.top != y)
    {
        enqueue(system, *record, WM_MOVE, 0, makeLParam(x, y));
    }
    if (old.width() != width || old.height() != height)
    {
        enqueue(system, *record, WM_SIZE, SIZE_RESTORED, makeLParam(width, height));
    }
    return true;
}

bool deliverExpose(WindowHandle window)
{
    return invalidateWindow(window, true);
}

bool deliverFocus(WindowHandle window, bool gained)
{
    if (!isWindow(window))
    {
        return false;
    }
    cWindowSystem& system = windowSystem();
    system.postAction(window,
                      gained ? cSentMessage::Action::FocusGained : cSentMessage::Action::FocusLost);
    return true;
}

bool deliverFileDrop(WindowHandle window, const std::vector<std::string>& files, int x, int y)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    cWindowRecord* record = system.find(window);
    if (record == nullptr || files.empty())
    {
        return false;
    }
    while (system.drops.size() >= kMaxDrops)
    {
        system.drops.erase(system.drops.begin());
    }
    const uintptr_t drop = system.nextDrop++;
    system.drops[drop] = {files, {x, y}};
    enqueue(system, *record, WM_DROPFILES, drop, 0);
    return true;
}

} // namespace qelt::platform
