// The component base: update propagation through listener channels, listening, field access.
#include "core/component.h"

#include "core/component_type.h"
#include "core/field.h"
#include "core/stream.h"

#include <algorithm>

namespace qelt
{
namespace
{

const cFieldDescriptionMethod<cComponent, bool> enabledField("enabled", &cComponent::setEnabled,
                                                             &cComponent::isEnabled);

// Registers "Component" when the module loads.
[[maybe_unused]] const cComponentType& registered = cComponent::staticType();

} // namespace

cComponent::cComponent(std::string name) : name_(std::move(name)) {}

cComponent::~cComponent() = default;

cComponentType& cComponent::staticType()
{
    static cComponentType type("Component", nullptr, nullptr, {&enabledField});
    return type;
}

const cComponentType& cComponent::getType() const
{
    return staticType();
}

// Channels from the highest down, so timelines (channel 1) run before everything on channel 0.
// The list is walked by index and each listener held while it runs, so a listener may detach
// itself or others during its update: when the slot it came from now holds another listener,
// that one is visited next. Stamps keep anyone from running twice in a frame.
void cComponent::update(const cUpdateContext& context, cComponent*)
{
    for (int channel = channelCount() - 1; channel >= 0; --channel)
    {
        std::size_t i = 0;
        while (channel < channelCount() && i < listeners_[channel].size())
        {
            const cRef<cComponent> listener = listeners_[channel][i];
            if (listener && listener->updateStamp_ != context.tick)
            {
                listener->updateStamp_ = context.tick;
                listener->update(context, this);
                const bool moved = channel >= channelCount() || i >= listeners_[channel].size() ||
                                   listeners_[channel][i] != listener;
                if (moved)
                    continue;
            }
            ++i;
        }
    }
}

int cComponent::fieldCount() const
{
    return getType().fieldCount();
}

int cComponent::fieldIndex(std::string_view name) const
{
    return getType().fieldIndex(name);
}

const cFieldDescription* cComponent::fieldDescription(std::string_view name) const
{
    return getType().field(getType().fieldIndex(name));
}

const cFieldDescription* cComponent::fieldDescription(int index) const
{
    return getType().field(index);
}

std::unique_ptr<cFieldValue> cComponent::fieldValue(std::string_view name)
{
    const cFieldDescription* description = fieldDescription(name);
    return description ? description->newValue(*this) : nullptr;
}

std::unique_ptr<cFieldValue> cComponent::fieldValue(int index)
{
    const cFieldDescription* description = fieldDescription(index);
    return description ? description->newValue(*this) : nullptr;
}

bool cComponent::hasField(std::string_view name) const
{
    return fieldIndex(name) >= 0;
}

bool cComponent::hasField(int index) const
{
    return index >= 0 && index < fieldCount();
}

// The lists are rebuilt aside and swapped in whole, so a stream that gives up half-way leaves the
// old lists in place.
void cComponent::serialise(cStream& stream)
{
    bool enabled = isEnabled();
    stream.io(enabled);
    if (!stream.isLoading())
    {
        stream.writeCount(static_cast<uint32_t>(listeners_.size()));
        for (const std::vector<cRef<cComponent>>& list : listeners_)
        {
            stream.writeCount(static_cast<uint32_t>(list.size()));
            for (const cRef<cComponent>& listener : list)
                stream.writeComponent(listener.get());
            stream.endList();
        }
        stream.endList();
        return;
    }
    // Grown as elements arrive rather than sized by the counts, so a damaged count costs no more
    // memory than the bytes really read.
    std::vector<std::vector<cRef<cComponent>>> channels;
    for (uint32_t channel = stream.readCount(); channel > 0 && !stream.failed(); --channel)
    {
        std::vector<cRef<cComponent>>& list = channels.emplace_back();
        for (uint32_t n = stream.readCount(); n > 0 && !stream.failed(); --n)
            list.emplace_back(stream.readComponent(nullptr));
        stream.endList();
    }
    stream.endList();
    if (stream.failed())
        return;
    setEnabled(enabled);
    setListeners(std::move(channels));
}

void cComponent::attachTo(cComponent& source)
{
    const int channel = std::max(0, updateChannel());
    if (source.channelCount() <= channel)
        source.listeners_.resize(channel + 1);
    source.listeners_[channel].emplace_back(this);
}

void cComponent::detachFrom(cComponent& source)
{
    const int channel = updateChannel();
    if (channel < 0 || channel >= source.channelCount())
        return;
    // The dropped references are released only once the list is whole again, since the last one
    // may destroy this component.
    std::vector<cRef<cComponent>> kept;
    std::vector<cRef<cComponent>> dropped;
    for (cRef<cComponent>& listener : source.listeners_[channel])
        (listener.get() == this ? dropped : kept).push_back(std::move(listener));
    source.listeners_[channel].swap(kept);
}

const std::vector<cRef<cComponent>>& cComponent::listeners(int channel) const
{
    static const std::vector<cRef<cComponent>> none;
    if (channel < 0 || channel >= channelCount())
        return none;
    return listeners_[channel];
}

void cComponent::setListeners(std::vector<std::vector<cRef<cComponent>>> channels)
{
    // The old lists are released after the new ones are in place.
    listeners_.swap(channels);
}

} // namespace qelt
