// The event dispatcher: the immediate and delayed queues, sending and posting, and the table of
// event types; one per process, shared with the plug-ins.
#pragma once

#include "core/event.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace qelt
{

class cFrameClock;

// One re-entrant lock guards both queues and every dispatch, so sinks run one at a time and may
// themselves post or send. Any thread may post; send and process dispatch on the calling thread
// (process on the viewer thread, once per frame). The type table is written only while modules
// load and unload. Each module has its own copy of this code, so everything another module may
// call is virtual and runs the code of the module that made the dispatcher.
class cEventDispatcher
{
  public:
    // Times come from clock, which must outlive the dispatcher.
    explicit cEventDispatcher(const cFrameClock& clock);
    // Destroys the events still waiting.
    virtual ~cEventDispatcher();
    cEventDispatcher(const cEventDispatcher&) = delete;
    cEventDispatcher& operator=(const cEventDispatcher&) = delete;

    // ---- queues --------------------------------------------------------------------------------
    // Takes the event for a target (null: broadcast). Due later than now: the delayed queue,
    // behind the events of the same due time. Otherwise the immediate queue, unless an event of
    // the same type, target and due time is waiting there: then it is discarded, whatever its
    // payload.
    virtual void post(std::unique_ptr<cEvent> event, cEventSink* target);
    // Dispatches the event at once on the calling thread.
    virtual void send(std::unique_ptr<cEvent> event, cEventSink* target);
    // Dispatches the front of the immediate queue, else the earliest delayed event due at nowMs,
    // until neither is left; events posted meanwhile are taken when due, but an event a sink
    // reposts waits for the next call. Returns how many were dispatched.
    virtual int process(uint32_t nowMs);

    // ---- senders for the common events ---------------------------------------------------------
    // A cEventRenderer broadcast at once, made only when the type has sinks.
    virtual void sendRenderer(const cEventType& type);
    // A cEventScene broadcast at once, made only when the type has sinks.
    virtual void sendScene(const cEventType& type, int32_t number, uint32_t dueTime);
    // A cEventShell with the text, posted as a broadcast when the type has sinks.
    virtual void postCommand(const cEventType& type, const std::string& command, uint32_t dueTime);

    // ---- types ---------------------------------------------------------------------------------
    // Enters the type under its full name; false (and nothing changed) when the name is taken.
    virtual bool registerType(cEventType& type);
    // Removes the type's entry if it is the one registered under its name.
    virtual void unregisterType(cEventType& type);
    // Null when unknown.
    virtual cEventType* findType(const std::string& fullName) const;
    // The registered types in name order.
    virtual std::vector<cEventType*> types() const;

    // ---- tracing and inspection ----------------------------------------------------------------
    // With tracing on, every dispatch writes a debug line.
    virtual void setTrace(bool on) { trace_ = on; }
    virtual bool trace() const { return trace_; }
    // Events waiting in both queues.
    virtual std::size_t waitingCount() const;

  private:
    struct Key
    {
        const cEventType* type;
        const cEventSink* target;
        uint32_t dueTime;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash
    {
        std::size_t operator()(const Key& key) const;
    };

    void enqueue(std::unique_ptr<cEvent> event);
    // The next immediate event, else the first delayed one due by nowMs, else none.
    std::unique_ptr<cEvent> takeDue(uint32_t nowMs);
    void dispatch(std::unique_ptr<cEvent> event);
    void repost(std::unique_ptr<cEvent> event);

    const cFrameClock& clock_;
    mutable std::recursive_mutex lock_;
    std::deque<std::unique_ptr<cEvent>> immediate_;  // owned, first in first out
    std::unordered_set<Key, KeyHash> immediateKeys_; // one per immediate event
    // Owned; by due time, and in posting order within one due time.
    std::multimap<uint32_t, std::unique_ptr<cEvent>> delayed_;
    std::vector<std::unique_ptr<cEvent>> reposted_; // owned; held until process ends
    int processing_ = 0;                            // nesting depth of process
    std::map<std::string, cEventType*> types_;      // not owned
    std::atomic<bool> trace_{false};
};

// The process's dispatcher: found through the process pointers under "EventDispatcher", or made
// by the first module that asks, on this module's frame clock. It lives until the process ends.
cEventDispatcher& eventDispatcher();

} // namespace qelt
