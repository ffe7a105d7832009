// The system audio mixer on the ALSA simple mixer: one mixer handle per device, kept open.
#include "platform/audio_mixer.h"

#include "platform/system.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cmath>

namespace qelt::platform
{

namespace
{

// The simple element that plays each line kind, indexed by kind.
constexpr const char* g_lineElements[mixerLineKindCount] = {
    "Master", // 0 the destination line
    "PCM",    // 1 wave output
    "Synth",  // 2 synthesizer
    "Aux",    // 3 auxiliary
    "CD",     // 4 compact disc
    "Line",   // 5 line in
    "Phone",  // 6 telephone
    "IEC958", // 7 digital
    "Mic",    // 8 microphone
};

constexpr long g_fullScale = 65535;

std::vector<std::string> splitDeviceList(const std::string& text)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= text.size())
    {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        std::string name = text.substr(start, end - start);
        const size_t first = name.find_first_not_of(" \t");
        const size_t last = name.find_last_not_of(" \t");
        if (first != std::string::npos)
            names.push_back(name.substr(first, last - first + 1));
        start = end + 1;
    }
    return names;
}

void report(const std::string& text)
{
    debugOutput(("mixer: " + text + "\n").c_str());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Devices
// ---------------------------------------------------------------------------------------------

struct cAudioMixer::sDevice
{
    std::string name;
    snd_mixer_t* mixer = nullptr;

    ~sDevice()
    {
        if (mixer != nullptr)
            snd_mixer_close(mixer);
    }

    // The element of the line kind, with the changes other processes made taken in first (they
    // reach the cached values only through the events, and a write equal to a stale cached
    // value would be dropped); null when the device has none.
    snd_mixer_elem_t* line(int kind)
    {
        snd_mixer_handle_events(mixer);
        const char* elementName = mixerLineElementName(kind);
        if (elementName == nullptr)
            return nullptr;
        snd_mixer_selem_id_t* id = nullptr;
        if (snd_mixer_selem_id_malloc(&id) < 0)
            return nullptr;
        snd_mixer_selem_id_set_name(id, elementName);
        snd_mixer_selem_id_set_index(id, 0);
        snd_mixer_elem_t* element = snd_mixer_find_selem(mixer, id);
        snd_mixer_selem_id_free(id);
        return element;
    }

    // The playback range of an element with a usable volume control.
    static bool volumeRange(snd_mixer_elem_t* element, long& low, long& high)
    {
        if (!snd_mixer_selem_has_playback_volume(element))
            return false;
        if (snd_mixer_selem_get_playback_volume_range(element, &low, &high) < 0)
            return false;
        return high > low;
    }
};

const char* mixerLineElementName(int kind)
{
    if (kind < 0 || kind >= mixerLineKindCount)
        return nullptr;
    return g_lineElements[kind];
}

std::vector<std::string> mixerDeviceNames()
{
    if (const std::optional<std::string> listed = getEnvironment("QELT_MIXER_DEVICES"))
        return splitDeviceList(*listed);
    std::vector<std::string> names;
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0)
        names.push_back("hw:" + std::to_string(card));
    return names;
}

cAudioMixer::cAudioMixer() : cAudioMixer(mixerDeviceNames()) {}

// Opens, attaches, registers the simple elements and loads every device; a device failing any
// step is closed and left out.
cAudioMixer::cAudioMixer(const std::vector<std::string>& deviceNames)
{
    for (const std::string& name : deviceNames)
    {
        auto device = std::make_unique<sDevice>();
        device->name = name;
        int error = snd_mixer_open(&device->mixer, 0);
        if (error < 0)
        {
            device->mixer = nullptr;
            report("cannot open a mixer for \"" + name + "\": " + snd_strerror(error));
            continue;
        }
        const char* step = "attach";
        error = snd_mixer_attach(device->mixer, name.c_str());
        if (error >= 0)
        {
            step = "register";
            error = snd_mixer_selem_register(device->mixer, nullptr, nullptr);
        }
        if (error >= 0)
        {
            step = "load";
            error = snd_mixer_load(device->mixer);
        }
        if (error < 0)
        {
            report("cannot " + std::string(step) + " mixer device \"" + name +
                   "\": " + snd_strerror(error));
            continue;
        }
        devices_.push_back(std::move(device));
    }
}

cAudioMixer::~cAudioMixer() = default;

int cAudioMixer::deviceCount() const
{
    return static_cast<int>(devices_.size());
}

std::string cAudioMixer::deviceName(int device) const
{
    if (device < 0 || device >= deviceCount())
        return {};
    return devices_[device]->name;
}

// ---------------------------------------------------------------------------------------------
// Lines
// ---------------------------------------------------------------------------------------------

std::optional<uint16_t> cAudioMixer::lineVolume(int device, int kind)
{
    if (device < 0 || device >= deviceCount())
        return std::nullopt;
    snd_mixer_elem_t* element = devices_[device]->line(kind);
    long low = 0;
    long high = 0;
    if (element == nullptr || !sDevice::volumeRange(element, low, high))
        return std::nullopt;
    double sum = 0;
    int channels = 0;
    for (int channel = 0; channel <= SND_MIXER_SCHN_LAST; ++channel)
    {
        const auto id = static_cast<snd_mixer_selem_channel_id_t>(channel);
        long value = 0;
        if (!snd_mixer_selem_has_playback_channel(element, id) ||
            snd_mixer_selem_get_playback_volume(element, id, &value) < 0)
            continue;
        sum += static_cast<double>(std::clamp(value, low, high) - low);
        ++channels;
    }
    if (channels == 0)
        return std::nullopt;
    const double scaled = sum / channels * g_fullScale / static_cast<double>(high - low);
    return static_cast<uint16_t>(std::lround(scaled));
}

bool cAudioMixer::setLineVolume(int device, int kind, uint16_t volume)
{
    if (device < 0 || device >= deviceCount())
        return false;
    snd_mixer_elem_t* element = devices_[device]->line(kind);
    long low = 0;
    long high = 0;
    if (element == nullptr || !sDevice::volumeRange(element, low, high))
        return false;
    const long value = low + std::lround(static_cast<double>(volume) *
                                         static_cast<double>(high - low) / g_fullScale);
    return snd_mixer_selem_set_playback_volume_all(element, value) >= 0;
}

bool cAudioMixer::setLineMute(int device, int kind, bool muted)
{
    if (device < 0 || device >= deviceCount())
        return false;
    snd_mixer_elem_t* element = devices_[device]->line(kind);
    if (element == nullptr || !snd_mixer_selem_has_playback_switch(element))
        return false;
    return snd_mixer_selem_set_playback_switch_all(element, muted ? 0 : 1) >= 0;
}

} // namespace qelt::platform
