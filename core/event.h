// Events: the base that names its type, target and times, and the shell, scene and renderer
// events.
#pragma once

#include <cstdint>
#include <string>

namespace qelt
{

class cEventSink;
class cEventType;
class cExpression;

// An event is owned by whoever holds it: the sender until it posts or sends it, then the
// dispatcher, which destroys it when it is taken, ignored by all or discarded as a duplicate.
class cEvent
{
  public:
    // dueTime is the frame-clock millisecond from which it may be delivered; 0 means at once.
    explicit cEvent(const cEventType& type, uint32_t dueTime = 0) : type_(&type), dueTime_(dueTime)
    {
    }
    virtual ~cEvent() = default;

    // ---- the event interface -------------------------------------------------------------------
    // The type's full name followed by the arguments in parentheses: "Renderer.Load()".
    virtual std::string getName() const;
    // The number of arguments the event hands to the commands it runs.
    virtual int argumentCount() const { return 0; }
    // Argument index; the shared void expression when there is none.
    virtual cExpression* argument(int index) const;

    const cEventType& type() const { return *type_; }
    // The sink it is addressed to; null for a broadcast.
    cEventSink* target() const { return target_; }
    uint32_t postedTime() const { return postedTime_; }
    uint32_t dueTime() const { return dueTime_; }

    // Set by the dispatcher when the event is posted or sent.
    void setTarget(cEventSink* target) { target_ = target; }
    void setPostedTime(uint32_t ms) { postedTime_ = ms; }

  private:
    const cEventType* type_;       // static
    cEventSink* target_ = nullptr; // not owned
    uint32_t postedTime_ = 0;
    uint32_t dueTime_;
};

// A command text to run on the viewer thread: Shell("text").
class cEventShell final : public cEvent
{
  public:
    cEventShell(const cEventType& type, std::string command, uint32_t dueTime)
        : cEvent(type, dueTime), command_(std::move(command))
    {
    }
    std::string getName() const override;
    const std::string& command() const { return command_; }

  private:
    std::string command_;
};

// A phase of a frame with its number: Scene.UpdateBegin(12).
class cEventScene final : public cEvent
{
  public:
    cEventScene(const cEventType& type, int32_t number, uint32_t dueTime)
        : cEvent(type, dueTime), number_(number)
    {
    }
    std::string getName() const override;
    int32_t number() const { return number_; }

  private:
    int32_t number_;
};

// A step of the renderer's resource life cycle; carries nothing.
class cEventRenderer final : public cEvent
{
  public:
    explicit cEventRenderer(const cEventType& type) : cEvent(type) {}
};

} // namespace qelt
