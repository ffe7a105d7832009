// Event type records: full names, registration, parent resolution and sinks.
#include "core/event_type.h"

#include "core/event_dispatcher.h"
#include "core/log_manager.h"

#include <algorithm>

namespace qelt
{

cEventType::cEventType(const char* parentName, const char* name)
    : cEventType(parentName, name, eventDispatcher())
{
}

cEventType::cEventType(const char* parentName, const char* name, cEventDispatcher& dispatcher)
    : parentName_(parentName), dispatcher_(&dispatcher)
{
    const std::string own = name ? name : "";
    fullName_ = parentName_ ? std::string(parentName_) + "." + own : own;
    dispatcher_->registerType(*this);
}

cEventType::cEventType(RootTag) : parentName_(nullptr), dispatcher_(nullptr) {}

cEventType::~cEventType()
{
    if (dispatcher_)
        dispatcher_->unregisterType(*this);
}

cEventType& cEventType::root()
{
    static cEventType type{RootTag{}};
    return type;
}

const cEventType* cEventType::parent() const
{
    if (dispatcher_ == nullptr)
        return nullptr;
    std::call_once(resolved_,
                   [this]
                   {
                       if (parentName_ == nullptr)
                       {
                           parent_ = &root();
                           return;
                       }
                       parent_ = dispatcher_->findType(parentName_);
                       if (parent_ == nullptr)
                           debugf("Event Type %s not found\n", parentName_);
                   });
    return parent_;
}

void cEventType::addSink(cEventSink* sink)
{
    sinks_.push_back(sink);
}

void cEventType::removeSink(cEventSink* sink)
{
    sinks_.erase(std::remove(sinks_.begin(), sinks_.end(), sink), sinks_.end());
}

bool cEventType::hasSinks() const
{
    for (const cEventType* type = this; type != nullptr; type = type->parent())
        if (!type->sinks_.empty())
            return true;
    return false;
}

} // namespace qelt
