// Event receivers: the abstract sink and the sink that calls a member function.
#pragma once

namespace qelt
{

class cEvent;

// What a sink answers.
enum eEventResult : int
{
    eEventContinue = 0, // not taken: the next sink gets it
    eEventRepost = 1,   // post it again as a broadcast and stop
    eEventTaken = 2,    // taken: stop, the event is destroyed
};

class cEventSink
{
  public:
    virtual ~cEventSink() = default;
    // Receives an event; answers an eEventResult.
    virtual int handle(cEvent& event) = 0;
};

// Calls a member function of an object for every event and lets dispatch go on. The object is
// not owned and must outlive the sink's attachment.
template <class T> class cEventSinkMember final : public cEventSink
{
  public:
    using Member = void (T::*)();
    cEventSinkMember(T& object, Member member) : object_(&object), member_(member) {}

    int handle(cEvent&) override
    {
        (object_->*member_)();
        return eEventContinue;
    }

  private:
    T* object_; // not owned
    Member member_;
};

} // namespace qelt
