// The call record handed to a callee: its arguments, a result slot and the event it runs for.
#pragma once

#include "core/expression.h"
#include "core/ref_count.h"

#include <vector>

namespace qelt
{

class cEvent;

// Lives on the caller's stack for one call. The arguments are the caller's; the event's own
// arguments follow them.
class cShellCall
{
  public:
    cShellCall(cExpression* callee, const std::vector<cRef<cExpression>>& arguments,
               cEvent* event = nullptr)
        : callee_(callee), arguments_(&arguments), event_(event)
    {
    }

    cExpression* callee() const { return callee_; }
    cEvent* event() const { return event_; }

    // The explicit arguments plus the event's.
    int argumentCount() const;
    // Explicit argument index, then the event's arguments, then (and for a negative index, or a
    // missing argument) the shared void expression.
    cExpression& argument(int index) const;

    // What the callee leaves for the caller; the caller releases it.
    cRef<cExpression>& result() { return result_; }

    // Reports a text at the message level, formatted into 256 bytes and cut there.
    void reportf(const char* format, ...) const __attribute__((format(printf, 2, 3)));

  private:
    cExpression* callee_;                             // not owned
    const std::vector<cRef<cExpression>>* arguments_; // the caller's
    cEvent* event_;                                   // not owned; may be null
    cRef<cExpression> result_;                        // counted
};

} // namespace qelt
