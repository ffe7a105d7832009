// Event types: static records named by dotted paths ("Renderer.Load", "Mouse.Down.L") that form a
// tree, each with the sinks attached to it.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace qelt
{

class cEventDispatcher;
class cEventSink;

// One static record per event type, made by a static initialiser, which registers it with the
// dispatcher under its full name (the first type registered under a name is the one found).
// A sink attached to a type receives the broadcasts of that type and of every type below it.
//
// The sink list is changed without a lock: sinks attach while their owner is constructed and
// detach while it is destroyed, on the thread that owns it.
class cEventType
{
  public:
    // parentName is the parent's full name, or null for a top-level type.
    cEventType(const char* parentName, const char* name);
    // The same, registered with a given dispatcher instead of the process's.
    cEventType(const char* parentName, const char* name, cEventDispatcher& dispatcher);
    ~cEventType();
    cEventType(const cEventType&) = delete;
    cEventType& operator=(const cEventType&) = delete;

    // The unnamed root above every top-level type of this module; it is not registered.
    static cEventType& root();

    // The parent name, ".", and the name; the name alone without a parent name.
    const std::string& fullName() const { return fullName_; }
    // The parent: looked up by name in the dispatcher on first use ("Event Type %s not found"
    // on the debug channel when missing, and then there is none); the root for a top-level type;
    // null for the root.
    const cEventType* parent() const;

    // ---- sinks ---------------------------------------------------------------------------------
    void addSink(cEventSink* sink);
    // Removes every entry equal to sink.
    void removeSink(cEventSink* sink);
    // True when this type or an ancestor up to the root has a sink.
    bool hasSinks() const;
    const std::vector<cEventSink*>& sinks() const { return sinks_; }

  private:
    struct RootTag
    {
    };
    explicit cEventType(RootTag);

    const char* parentName_;
    std::string fullName_;
    cEventDispatcher* dispatcher_; // not owned; null for the root
    mutable const cEventType* parent_ = nullptr;
    mutable std::once_flag resolved_;
    std::vector<cEventSink*> sinks_; // not owned, in attachment order
};

} // namespace qelt
