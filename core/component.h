// The component base: a named, counted, scriptable object with an enabled flag, listener
// channels through which updates propagate, and reflective fields.
#pragma once

#include "core/ref_count.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qelt
{

class cComponentType;
class cFieldDescription;
class cFieldValue;
class cStream;

// What every update receives: the frame number of this update and the milliseconds it covers.
struct cUpdateContext
{
    int32_t tick = 0;
    int32_t deltaMs = 0;
};

// A component starts with count 0 and dies when the last counted pointer lets go. Listener lists
// hold counted pointers, so a listener lives as long as a source lists it; cycles are not
// broken. Nothing here locks: components are used under the locks of the code that runs them.
class cComponent : public cRefCount
{
  public:
    explicit cComponent(std::string name = {});
    ~cComponent() override;

    // The record of "Component" (abstract; field "enabled").
    static cComponentType& staticType();

    // ---- the component interface ---------------------------------------------------------------
    // The record of the object's class; each class overrides it.
    virtual const cComponentType& getType() const;
    virtual bool isEnabled() const { return enabled_; }
    virtual void setEnabled(bool enabled) { enabled_ = enabled; }
    // Passes the tick on to the listeners, channel 1 (timelines) before channel 0, each at most
    // once per frame number; an override does its own work and then calls this.
    virtual void update(const cUpdateContext& context, cComponent* source);
    // The number of fields including inherited ones.
    virtual int fieldCount() const;
    // The index of the first field with exactly this name, -1 if none.
    virtual int fieldIndex(std::string_view name) const;
    // Null when unknown or out of range.
    virtual const cFieldDescription* fieldDescription(std::string_view name) const;
    virtual const cFieldDescription* fieldDescription(int index) const;
    // A new value bound to this component (not counting it); null when unknown or out of range.
    virtual std::unique_ptr<cFieldValue> fieldValue(std::string_view name);
    virtual std::unique_ptr<cFieldValue> fieldValue(int index);
    virtual bool hasField(std::string_view name) const;
    virtual bool hasField(int index) const;
    // Reads or writes the body through the stream: the enabled flag, then the listener lists.
    // A subclass calls its base first and then adds its own items in a fixed order.
    virtual void serialise(cStream& stream);
    // The listener channel this component joins on its sources: 0, or 1 for timelines.
    virtual int updateChannel() const { return 0; }

    // ---- listening -----------------------------------------------------------------------------
    // Appends this component (counted) to source's list for updateChannel().
    void attachTo(cComponent& source);
    // Removes every occurrence of this component from that list.
    void detachFrom(cComponent& source);
    int channelCount() const { return static_cast<int>(listeners_.size()); }
    // The listeners of a channel; empty for a channel that does not exist.
    const std::vector<cRef<cComponent>>& listeners(int channel) const;
    // Replaces all channels, as a stream does when it reads a component back.
    void setListeners(std::vector<std::vector<cRef<cComponent>>> channels);

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    // The frame number of the last update this component received.
    int32_t updateStamp() const { return updateStamp_; }
    void setUpdateStamp(int32_t tick) { updateStamp_ = tick; }

  private:
    std::string name_;
    int32_t updateStamp_ = 0;
    bool enabled_ = false;
    std::vector<std::vector<cRef<cComponent>>> listeners_; // per channel, counted
};

} // namespace qelt
