// Message boxes, modal for the calling thread: the backend shows the box while the caller's own
// queue keeps being pumped, so its windows go on painting and answering other threads.
#include "platform/message_box.h"

#include "platform/window/message_queue.h"
#include "platform/window/window_system.h"

#include <memory>

namespace qelt::platform
{

namespace
{

// A procedure that keeps posting to itself could hold a box open for ever; after this many
// messages in one round the box looks at its answer again.
constexpr int kMaxMessagesPerRound = 10000;

struct cPendingAnswer
{
    bool done = false;
    MessageBoxAnswer answer = MessageBoxAnswer::Ok;
};

} // namespace

MessageBoxAnswer messageBox(const std::string& caption, const std::string& text,
                            MessageBoxButtons buttons, MessageBoxIcon icon)
{
    using window_detail::cThreadQueue;
    using window_detail::cWindowSystem;
    cWindowSystem& system = window_detail::windowSystem();

    auto pending = std::make_shared<cPendingAnswer>();
    std::shared_ptr<cThreadQueue> caller;
    cWindowBackend* display = nullptr;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        caller = system.currentQueue();
        display = system.backend.get();
    }
    // The answer may come on any thread; it wakes the caller through its queue.
    display->showMessageBox({caption, text, buttons, icon},
                            [&system, pending, caller](MessageBoxAnswer answer)
                            {
                                std::lock_guard<std::mutex> guard(system.lock);
                                pending->answer = answer;
                                pending->done = true;
                                caller->woken = true;
                                cWindowSystem::notify(*caller);
                            });

    // Pumps at least once, so what is queued when the box comes up is handled while it is up.
    bool quit = false;
    int quitCode = 0;
    for (;;)
    {
        cMessage message;
        for (int taken = 0; !quit && taken < kMaxMessagesPerRound &&
                            peekMessage(&message, nullptr, 0, 0, PM_REMOVE);
             ++taken)
        {
            if (message.message == WM_QUIT)
            {
                // Kept for the caller's own loop, after the box.
                quit = true;
                quitCode = static_cast<int>(message.wParam);
                break;
            }
            translateMessage(message);
            dispatchMessage(message);
        }
        if (quit)
        {
            break;
        }
        {
            std::lock_guard<std::mutex> guard(system.lock);
            if (pending->done)
            {
                break;
            }
        }
        waitMessage();
    }
    // After WM_QUIT only messages sent from other threads are run until the answer comes.
    while (quit)
    {
        system.runIncomingSent();
        std::unique_lock<std::mutex> guard(system.lock);
        caller->changed.wait(guard, [&] { return pending->done || !caller->sent.empty(); });
        if (pending->done)
        {
            break;
        }
    }
    if (quit)
    {
        postQuitMessage(quitCode);
    }
    return pending->answer;
}

} // namespace qelt::platform
