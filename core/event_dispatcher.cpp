// The event dispatcher: posting with the duplicate rule, sending, processing due events, and the
// type table.
#include "core/event_dispatcher.h"

#include "core/event_sink.h"
#include "core/event_type.h"
#include "core/frame_clock.h"
#include "core/log_manager.h"
#include "core/process_pointers.h"

#include <cinttypes>
#include <functional>

namespace qelt
{

std::size_t cEventDispatcher::KeyHash::operator()(const Key& key) const
{
    const std::size_t a = std::hash<const void*>()(key.type);
    const std::size_t b = std::hash<const void*>()(key.target);
    return (a * 31 + b) * 31 + key.dueTime;
}

cEventDispatcher::cEventDispatcher(const cFrameClock& clock) : clock_(clock) {}

cEventDispatcher::~cEventDispatcher() = default;

// ---- queues ------------------------------------------------------------------------------------

void cEventDispatcher::post(std::unique_ptr<cEvent> event, cEventSink* target)
{
    if (!event)
        return;
    std::lock_guard lock(lock_);
    event->setTarget(target);
    event->setPostedTime(clock_.now());
    enqueue(std::move(event));
}

void cEventDispatcher::enqueue(std::unique_ptr<cEvent> event)
{
    if (event->dueTime() > clock_.now())
    {
        // upper bound of the equal range: events due together keep their posting order.
        delayed_.emplace(event->dueTime(), std::move(event));
        return;
    }
    const Key key{&event->type(), event->target(), event->dueTime()};
    if (!immediateKeys_.insert(key).second)
        return; // a duplicate of a waiting event: dropped here
    immediate_.push_back(std::move(event));
}

void cEventDispatcher::send(std::unique_ptr<cEvent> event, cEventSink* target)
{
    if (!event)
        return;
    event->setTarget(target);
    event->setPostedTime(clock_.now());
    dispatch(std::move(event));
}

// Sinks run without the dispatcher's lock: a sink may take locks of its own (the shell's), and
// other threads post while holding those, so calling out under this lock could deadlock.
int cEventDispatcher::process(uint32_t nowMs)
{
    {
        std::lock_guard lock(lock_);
        ++processing_;
    }
    int count = 0;
    while (std::unique_ptr<cEvent> event = takeDue(nowMs))
    {
        dispatch(std::move(event));
        ++count;
    }
    // Reposts wait for the next processing, so a sink that always answers "repost" cannot keep
    // this call going.
    std::vector<std::unique_ptr<cEvent>> waiting;
    {
        std::lock_guard lock(lock_);
        if (--processing_ == 0)
            waiting.swap(reposted_);
    }
    for (std::unique_ptr<cEvent>& event : waiting)
        post(std::move(event), nullptr);
    return count;
}

std::unique_ptr<cEvent> cEventDispatcher::takeDue(uint32_t nowMs)
{
    std::lock_guard lock(lock_);
    std::unique_ptr<cEvent> event;
    if (!immediate_.empty())
    {
        event = std::move(immediate_.front());
        immediate_.pop_front();
        immediateKeys_.erase(Key{&event->type(), event->target(), event->dueTime()});
    }
    else if (!delayed_.empty() && delayed_.begin()->first <= nowMs)
    {
        event = std::move(delayed_.begin()->second);
        delayed_.erase(delayed_.begin());
    }
    return event;
}

void cEventDispatcher::repost(std::unique_ptr<cEvent> event)
{
    {
        std::lock_guard lock(lock_);
        if (processing_ > 0)
        {
            reposted_.push_back(std::move(event));
            return;
        }
    }
    post(std::move(event), nullptr);
}

// A direct event goes to its target alone; a broadcast to the sinks of its type, then of each
// ancestor up to the root, until one takes it or asks for a repost. The sink lists are walked by
// index, so a sink may attach or detach sinks while it handles the event.
void cEventDispatcher::dispatch(std::unique_ptr<cEvent> event)
{
    if (cEventSink* target = event->target())
    {
        if (trace_)
            debugf("Direct Event to %08" PRIxPTR ": %s\n", reinterpret_cast<uintptr_t>(target),
                   event->getName().c_str());
        if (target->handle(*event) == eEventRepost)
            repost(std::move(event));
        return;
    }
    if (trace_)
        debugf("Broadcast Event: %s\n", event->getName().c_str());
    for (const cEventType* type = &event->type(); type != nullptr; type = type->parent())
    {
        for (std::size_t i = 0; i < type->sinks().size(); ++i)
        {
            const int result = type->sinks()[i]->handle(*event);
            if (result == eEventRepost)
            {
                repost(std::move(event));
                return;
            }
            if (result == eEventTaken)
                return;
        }
    }
}

// ---- senders -----------------------------------------------------------------------------------

void cEventDispatcher::sendRenderer(const cEventType& type)
{
    if (type.hasSinks())
        send(std::make_unique<cEventRenderer>(type), nullptr);
}

void cEventDispatcher::sendScene(const cEventType& type, int32_t number, uint32_t dueTime)
{
    if (type.hasSinks())
        send(std::make_unique<cEventScene>(type, number, dueTime), nullptr);
}

void cEventDispatcher::postCommand(const cEventType& type, const std::string& command,
                                   uint32_t dueTime)
{
    if (type.hasSinks())
        post(std::make_unique<cEventShell>(type, command, dueTime), nullptr);
}

// ---- types -------------------------------------------------------------------------------------

bool cEventDispatcher::registerType(cEventType& type)
{
    std::lock_guard lock(lock_);
    return types_.emplace(type.fullName(), &type).second;
}

void cEventDispatcher::unregisterType(cEventType& type)
{
    std::lock_guard lock(lock_);
    const auto found = types_.find(type.fullName());
    if (found != types_.end() && found->second == &type)
        types_.erase(found);
}

cEventType* cEventDispatcher::findType(const std::string& fullName) const
{
    std::lock_guard lock(lock_);
    const auto found = types_.find(fullName);
    return found == types_.end() ? nullptr : found->second;
}

std::vector<cEventType*> cEventDispatcher::types() const
{
    std::lock_guard lock(lock_);
    std::vector<cEventType*> list;
    list.reserve(types_.size());
    for (const auto& entry : types_)
        list.push_back(entry.second);
    return list;
}

std::size_t cEventDispatcher::waitingCount() const
{
    std::lock_guard lock(lock_);
    return immediate_.size() + delayed_.size();
}

// ---- the process's dispatcher ------------------------------------------------------------------

cEventDispatcher& eventDispatcher()
{
    // Made once per module: the table's dispatcher, or a new one this module publishes.
    static cEventDispatcher* const shared = []
    {
        cProcessPointers* table = processPointers();
        void* found = table->get("EventDispatcher");
        if (found == nullptr)
        {
            auto* made = new cEventDispatcher(frameClock());
            table->set("EventDispatcher", made);
            found = table->get("EventDispatcher");
            if (found != made)
                delete made;
        }
        return static_cast<cEventDispatcher*>(found);
    }();
    return *shared;
}

} // namespace qelt
