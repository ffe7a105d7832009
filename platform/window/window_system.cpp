// The process's one window system: finding or making the instance, the thread queues, running
// sent messages on the owning thread, and what happens when a thread or the process ends.
#include "platform/window/window_system.h"

#include "platform/system.h"

#include <unistd.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qelt::platform::window_detail
{

namespace
{

// Holds "<pid>:<address>"; the pid keeps a child process from trusting its parent's address.
constexpr const char* kInstanceVariable = "__QELT_WINDOW_SYSTEM__";

std::unique_ptr<cWindowBackend> chooseBackend()
{
    const std::string wanted = getEnvironment("QELT_WINDOW_SYSTEM").value_or("");
    const bool hasDisplay = !getEnvironment("DISPLAY").value_or("").empty();
    if (wanted == "headless" || (wanted != "x11" && !hasDisplay))
    {
        if (!wanted.empty() && wanted != "headless")
        {
            std::fprintf(stderr, "qelt: unknown QELT_WINDOW_SYSTEM \"%s\", windows are virtual\n",
                         wanted.c_str());
        }
        return createHeadlessBackend();
    }
    std::string reason;
    std::unique_ptr<cWindowBackend> x11 = createX11Backend(&reason);
    if (x11)
    {
        return x11;
    }
    std::fprintf(stderr, "qelt: %s; windows are virtual\n", reason.c_str());
    return createHeadlessBackend();
}

cWindowSystem* findPublished()
{
    const std::optional<std::string> value = getEnvironment(kInstanceVariable);
    if (!value)
    {
        return nullptr;
    }
    long pid = 0;
    uintptr_t address = 0;
    if (std::sscanf(value->c_str(), "%ld:%" SCNxPTR, &pid, &address) != 2 ||
        pid != static_cast<long>(::getpid()) || address == 0)
    {
        return nullptr;
    }
    auto* system = reinterpret_cast<cWindowSystem*>(address);
    if (system->magic != cWindowSystem::kMagic || system->size != sizeof(cWindowSystem))
    {
        std::fprintf(stderr, "qelt: the window system of this process was built differently\n");
        std::abort();
    }
    return system;
}

// Ends the display backend when the module that made the instance is unloaded or the process
// exits. The instance itself stays: threads of other modules may still ask it for windows.
struct cShutdownAtExit
{
    cWindowSystem* system = nullptr;
    ~cShutdownAtExit()
    {
        if (system != nullptr)
        {
            system->shutdown();
        }
    }
};

// Tells the window system when a thread that used it ends.
struct cThreadGuard
{
    bool registered = false;
    ~cThreadGuard()
    {
        if (registered)
        {
            windowSystem().threadEnded(std::this_thread::get_id());
        }
    }
};

} // namespace

uint32_t messageTime()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

cWindowSystem& windowSystem()
{
    static cWindowSystem* instance = nullptr;
    static std::mutex creating;
    static cShutdownAtExit shutdownAtExit;
    std::lock_guard<std::mutex> guard(creating);
    if (instance == nullptr)
    {
        instance = findPublished();
        if (instance == nullptr)
        {
            instance = new cWindowSystem;
            char value[64];
            std::snprintf(value, sizeof value, "%ld:%" PRIxPTR, static_cast<long>(::getpid()),
                          reinterpret_cast<uintptr_t>(instance));
            setEnvironment(kInstanceVariable, std::string(value));
            shutdownAtExit.system = instance;
        }
    }
    return *instance;
}

cWindowSystem::cWindowSystem() : backend(chooseBackend()) {}

cWindowSystem::~cWindowSystem() = default;

// ---------------------------------------------------------------------------------------------
// Lookups
// ---------------------------------------------------------------------------------------------

cWindowRecord* cWindowSystem::find(WindowHandle window)
{
    if (window == nullptr)
    {
        return nullptr;
    }
    auto it = windows.find(window);
    return it == windows.end() ? nullptr : it->second.get();
}

std::shared_ptr<cThreadQueue> cWindowSystem::currentQueue()
{
    static thread_local cThreadGuard threadGuard;
    const std::thread::id id = std::this_thread::get_id();
    auto it = queues.find(id);
    if (it != queues.end())
    {
        return it->second;
    }
    auto queue = std::make_shared<cThreadQueue>();
    queue->thread = id;
    queues.emplace(id, queue);
    threadGuard.registered = true;
    return queue;
}

WindowHandle cWindowSystem::topLevelOf(WindowHandle window)
{
    cWindowRecord* record = find(window);
    while (record != nullptr && record->parent != nullptr && find(record->parent) != nullptr)
    {
        record = find(record->parent);
    }
    return record != nullptr ? record->handle : nullptr;
}

cPoint cWindowSystem::screenOrigin(WindowHandle window)
{
    cPoint origin;
    for (cWindowRecord* record = find(window); record != nullptr; record = find(record->parent))
    {
        origin.x += record->rect.left;
        origin.y += record->rect.top;
    }
    return origin;
}

void cWindowSystem::notify(cThreadQueue& queue)
{
    ++queue.generation;
    queue.changed.notify_all();
}

bool cWindowSystem::hasPending(const cThreadQueue& queue)
{
    if (!queue.posted.empty() || !queue.sent.empty() || queue.quit)
    {
        return true;
    }
    for (const auto& [handle, record] : windows)
    {
        if (record->needsPaint && record->queue.get() == &queue)
        {
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Sent messages
// ---------------------------------------------------------------------------------------------

intptr_t cWindowSystem::runSent(const cSentMessage& sent)
{
    switch (sent.action)
    {
    case cSentMessage::Action::Procedure:
    {
        WindowProcedure procedure = nullptr;
        {
            std::lock_guard<std::mutex> guard(lock);
            cWindowRecord* record = find(sent.window);
            if (record != nullptr)
            {
                procedure = record->procedure;
            }
        }
        return procedure != nullptr ? procedure(sent.window, sent.message, sent.wParam, sent.lParam)
                                    : 0;
    }
    case cSentMessage::Action::Destroy:
        return destroyWindow(sent.window) ? 1 : 0;
    case cSentMessage::Action::FocusGained:
    {
        // The focus stays where it is when it already lies inside the window.
        {
            std::lock_guard<std::mutex> guard(lock);
            for (WindowHandle w = focus; w != nullptr;)
            {
                if (w == sent.window)
                {
                    return 0;
                }
                cWindowRecord* record = find(w);
                w = record != nullptr ? record->parent : nullptr;
            }
        }
        setFocus(sent.window);
        return 0;
    }
    case cSentMessage::Action::FocusLost:
    {
        bool wasActive = false;
        bool hadFocus = false;
        {
            std::lock_guard<std::mutex> guard(lock);
            wasActive = active == sent.window;
            hadFocus = focus != nullptr && topLevelOf(focus) == sent.window;
        }
        if (hadFocus)
        {
            setFocus(nullptr);
        }
        if (wasActive)
        {
            WindowHandle old = nullptr;
            {
                std::lock_guard<std::mutex> guard(lock);
                old = active;
                active = nullptr;
            }
            if (old != nullptr)
            {
                sendMessage(old, WM_ACTIVATE, WA_INACTIVE, 0);
            }
        }
        return 0;
    }
    }
    return 0;
}

bool cWindowSystem::runIncomingSent()
{
    bool ranAny = false;
    for (;;)
    {
        std::shared_ptr<cSentMessage> sent;
        {
            std::lock_guard<std::mutex> guard(lock);
            std::shared_ptr<cThreadQueue> queue = currentQueue();
            if (queue->sent.empty())
            {
                return ranAny;
            }
            sent = queue->sent.front();
            queue->sent.pop_front();
        }
        const intptr_t result = runSent(*sent);
        ranAny = true;
        std::lock_guard<std::mutex> guard(lock);
        sent->result = result;
        sent->done = true;
        if (sent->sender)
        {
            notify(*sent->sender);
        }
    }
}

void cWindowSystem::postAction(WindowHandle window, cSentMessage::Action action)
{
    std::lock_guard<std::mutex> guard(lock);
    cWindowRecord* record = find(window);
    if (record == nullptr || !record->queue->alive)
    {
        return;
    }
    auto sent = std::make_shared<cSentMessage>();
    sent->action = action;
    sent->window = window;
    record->queue->sent.push_back(std::move(sent));
    notify(*record->queue);
}

// ---------------------------------------------------------------------------------------------
// Ends
// ---------------------------------------------------------------------------------------------

void cWindowSystem::threadEnded(std::thread::id thread)
{
    std::vector<uintptr_t> natives;
    cWindowBackend* display = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock);
        auto it = queues.find(thread);
        if (it == queues.end())
        {
            return;
        }
        std::shared_ptr<cThreadQueue> queue = it->second;
        queues.erase(it);
        queue->alive = false;
        for (const std::shared_ptr<cSentMessage>& sent : queue->sent)
        {
            sent->done = true;
            if (sent->sender)
            {
                notify(*sent->sender);
            }
        }
        queue->sent.clear();
        queue->posted.clear();

        // Its windows go without messages: the thread can no longer run their procedures.
        std::vector<WindowHandle> gone;
        for (const auto& [handle, record] : windows)
        {
            if (record->queue == queue)
            {
                gone.push_back(handle);
            }
        }
        for (WindowHandle handle : gone)
        {
            cWindowRecord* record = find(handle);
            if (record->native != 0)
            {
                natives.push_back(record->native);
                byNative.erase(record->native);
            }
            if (cWindowRecord* parent = find(record->parent))
            {
                std::erase(parent->children, handle);
            }
            for (WindowHandle child : record->children)
            {
                if (cWindowRecord* orphan = find(child))
                {
                    orphan->parent = nullptr;
                }
            }
            std::erase(topLevel, handle);
            for (WindowHandle* state : {&focus, &active, &capture, &pointerWindow})
            {
                if (*state == handle)
                {
                    *state = nullptr;
                }
            }
            windows.erase(handle);
        }
        display = backend.get();
    }
    for (uintptr_t native : natives)
    {
        display->destroyWindow(native);
    }
}

void cWindowSystem::shutdown()
{
    std::unique_ptr<cWindowBackend> old;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (backend == nullptr || std::strcmp(backend->name(), "headless") == 0)
        {
            return;
        }
        old = std::move(backend);
        backend = createHeadlessBackend();
        for (auto& [handle, record] : windows)
        {
            record->native = 0;
        }
        byNative.clear();
    }
    old->shutdown();
}

} // namespace qelt::platform::window_detail
