// The system audio mixer: the volume and mute of the playback lines of every mixer device,
// through the ALSA simple mixer.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qelt::platform
{

// Line kinds 0..8: master, wave output, synthesizer, auxiliary, compact disc, line in,
// telephone, digital, microphone.
constexpr int mixerLineKindCount = 9;

// The name of the mixer element that plays the line of a kind; null for a kind outside 0..8.
const char* mixerLineElementName(int kind);

// The mixer devices to open: the names in QELT_MIXER_DEVICES (comma-separated, empty entries
// dropped) when it is set, else "hw:N" for every sound card in card order.
std::vector<std::string> mixerDeviceNames();

// The mixer devices open for the object's lifetime. Volumes are 0..65535, scaled linearly onto
// the playback range of the line's element. A device index or line that does not exist, or a
// control the line lacks, answers false or an empty optional.
//
// Not thread-safe: one thread uses an object at a time.
class cAudioMixer
{
  public:
    // Opens the devices of mixerDeviceNames(); one that cannot be opened is left out (with a
    // line on the debug channel), so the indices count only the open devices.
    cAudioMixer();
    // Opens the named devices, in this order.
    explicit cAudioMixer(const std::vector<std::string>& deviceNames);
    ~cAudioMixer();
    cAudioMixer(const cAudioMixer&) = delete;
    cAudioMixer& operator=(const cAudioMixer&) = delete;

    // The number of open devices.
    int deviceCount() const;
    // The ALSA name the device was opened with; empty for a bad index.
    std::string deviceName(int device) const;
    // The line's playback volume as the average over its channels, after taking in the changes
    // other processes made since the last call.
    std::optional<uint16_t> lineVolume(int device, int kind);
    // Sets every playback channel of the line to the volume.
    bool setLineVolume(int device, int kind, uint16_t volume);
    // Turns the line's playback switch off (muted) or on, on every channel.
    bool setLineMute(int device, int kind, bool muted);

  private:
    struct sDevice;
    std::vector<std::unique_ptr<sDevice>> devices_;
};

} // namespace qelt::platform
