// The thread message queues: posting, sending across threads, taking messages in their order,
// translating keys to characters and dispatching to window procedures.
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

bool inRange(uint32_t message, uint32_t first, uint32_t last)
{
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

// Queues a message; the caller holds the lock. false when the queue is full.
bool enqueue(cWindowSystem& system, cThreadQueue& queue, WindowHandle window, uint32_t message,
             uintptr_t wParam, intptr_t lParam)
{
    if (queue.posted.size() >= cThreadQueue::kMaxPosted)
    {
        return false;
    }
    cMessage queued;
    queued.window = window;
    queued.message = message;
    queued.wParam = wParam;
    queued.lParam = lParam;
    queued.time = window_detail::messageTime();
    queued.point = system.pointer;
    queue.posted.push_back(queued);
    cWindowSystem::notify(queue);
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Posting and sending
// ---------------------------------------------------------------------------------------------

bool postMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    std::shared_ptr<cThreadQueue> queue;
    if (window == nullptr)
    {
        queue = system.currentQueue();
    }
    else if (cWindowRecord* record = system.find(window))
    {
        queue = record->queue;
    }
    if (queue == nullptr || !queue->alive)
    {
        return false;
    }
    return enqueue(system, *queue, window, message, wParam, lParam);
}

bool postThreadMessage(std::thread::id thread, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    auto it = system.queues.find(thread);
    if (it == system.queues.end() || !it->second->alive)
    {
        return false;
    }
    return enqueue(system, *it->second, nullptr, message, wParam, lParam);
}

intptr_t window_detail::cWindowSystem::sendAndWait(const std::shared_ptr<cSentMessage>& sent)
{
    std::shared_ptr<cThreadQueue> own;
    {
        std::unique_lock<std::mutex> guard(lock);
        cWindowRecord* record = find(sent->window);
        if (record == nullptr || !record->queue->alive)
        {
            return 0;
        }
        own = currentQueue();
        if (record->queue == own)
        {
            guard.unlock();
            return runSent(*sent);
        }
        sent->sender = own;
        record->queue->sent.push_back(sent);
        notify(*record->queue);
    }
    for (;;)
    {
        // Whatever the owner sends back meanwhile runs here, so two threads sending to each
        // other do not wait for ever.
        runIncomingSent();
        std::unique_lock<std::mutex> guard(lock);
        own->changed.wait(guard, [&] { return sent->done || !own->sent.empty(); });
        if (sent->done)
        {
            return sent->result;
        }
    }
}

intptr_t sendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    auto sent = std::make_shared<cSentMessage>();
    sent->window = window;
    sent->message = message;
    sent->wParam = wParam;
    sent->lParam = lParam;
    return windowSystem().sendAndWait(sent);
}

void postQuitMessage(int exitCode)
{
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    std::shared_ptr<cThreadQueue> queue = system.currentQueue();
    queue->quit = true;
    queue->quitCode = exitCode;
    cWindowSystem::notify(*queue);
}

// ---------------------------------------------------------------------------------------------
// Taking messages
// ---------------------------------------------------------------------------------------------

bool peekMessage(cMessage* message, WindowHandle window, uint32_t first, uint32_t last,
                 unsigned flags)
{
    cWindowSystem& system = windowSystem();
    system.runIncomingSent();

    Guard guard(system.lock);
    std::shared_ptr<cThreadQueue> queue = system.currentQueue();
    if (window != nullptr)
    {
        cWindowRecord* record = system.find(window);
        if (record == nullptr || record->queue != queue)
        {
            return false;
        }
    }
    const bool remove = (flags & PM_REMOVE) != 0;

    for (auto it = queue->posted.begin(); it != queue->posted.end(); ++it)
    {
        if ((window == nullptr || it->window == window) && inRange(it->message, first, last))
        {
            if (message != nullptr)
            {
                *message = *it;
            }
            if (remove)
            {
                queue->posted.erase(it);
            }
            return true;
        }
    }

    // WM_QUIT passes every filter.
    if (queue->quit)
    {
        if (message != nullptr)
        {
            *message = cMessage{};
            message->message = WM_QUIT;
            message->wParam = static_cast<uintptr_t>(queue->quitCode);
            message->time = window_detail::messageTime();
            message->point = system.pointer;
        }
        if (remove)
        {
            queue->quit = false;
        }
        return true;
    }

    if (inRange(WM_PAINT, first, last))
    {
        // The oldest window first, so a parent paints before its children.
        WindowHandle paint = nullptr;
        for (const auto& [handle, record] : system.windows)
        {
            if (record->needsPaint && record->queue == queue &&
                (window == nullptr || handle == window) &&
                (paint == nullptr ||
                 reinterpret_cast<uintptr_t>(handle) < reinterpret_cast<uintptr_t>(paint)))
            {
                paint = handle;
            }
        }
        if (paint != nullptr)
        {
            if (message != nullptr)
            {
                *message = cMessage{};
                message->window = paint;
                message->message = WM_PAINT;
                message->time = window_detail::messageTime();
                message->point = system.pointer;
            }
            return true;
        }
    }
    return false;
}

int getMessage(cMessage* message, WindowHandle window, uint32_t first, uint32_t last)
{
    if (window != nullptr && !isOwnWindow(window))
    {
        return -1;
    }
    cWindowSystem& system = windowSystem();
    for (;;)
    {
        uint64_t seen = 0;
        std::shared_ptr<cThreadQueue> queue;
        {
            Guard guard(system.lock);
            queue = system.currentQueue();
            seen = queue->generation;
        }
        cMessage taken;
        if (peekMessage(&taken, window, first, last, PM_REMOVE))
        {
            if (message != nullptr)
            {
                *message = taken;
            }
            return taken.message == WM_QUIT ? 0 : 1;
        }
        if (window != nullptr && !isWindow(window))
        {
            return -1;
        }
        std::unique_lock<std::mutex> guard(system.lock);
        queue->changed.wait(guard, [&] { return queue->generation != seen; });
    }
}

bool translateMessage(const cMessage& message)
{
    if (message.message != WM_KEYDOWN || message.character == 0)
    {
        return false;
    }
    cWindowSystem& system = windowSystem();
    Guard guard(system.lock);
    cWindowRecord* record = system.find(message.window);
    if (record == nullptr || !record->queue->alive)
    {
        return false;
    }
    // The character comes right after its key, ahead of anything queued later.
    cMessage character = message;
    character.message = WM_CHAR;
    character.wParam = message.character;
    character.character = 0;
    record->queue->posted.push_front(character);
    cWindowSystem::notify(*record->queue);
    return true;
}

intptr_t dispatchMessage(const cMessage& message)
{
    if (message.window == nullptr)
    {
        return 0;
    }
    WindowProcedure procedure = getWindowProcedure(message.window);
    return callWindowProcedure(procedure, message.window, message.message, message.wParam,
                               message.lParam);
}

// ---------------------------------------------------------------------------------------------
// Waiting
// ---------------------------------------------------------------------------------------------

bool waitMessageFor(std::chrono::milliseconds timeout)
{
    cWindowSystem& system = windowSystem();
    std::unique_lock<std::mutex> guard(system.lock);
    std::shared_ptr<cThreadQueue> queue = system.currentQueue();
    const uint64_t seen = queue->generation;
    const bool arrived = queue->changed.wait_for(
        guard, timeout,
        [&] { return queue->woken || queue->generation != seen || system.hasPending(*queue); });
    queue->woken = false;
    return arrived;
}

void waitMessage()
{
    cWindowSystem& system = windowSystem();
    std::unique_lock<std::mutex> guard(system.lock);
    std::shared_ptr<cThreadQueue> queue = system.currentQueue();
    const uint64_t seen = queue->generation;
    queue->changed.wait(
        guard,
        [&] { return queue->woken || queue->generation != seen || system.hasPending(*queue); });
    queue->woken = false;
}

} // namespace qelt::platform
