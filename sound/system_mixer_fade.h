// The fades of the system mixer's lines that the engine library exports: a line's volume moved
// to a target in 50 ms steps, and the line faded last moved back to where it was.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qelt
{

namespace platform
{
class cAudioMixer;
}

// Shared by the host's threads, each fade blocking the thread that asked for it. lock_ is held
// for a whole fade or restore, so a second caller waits for the first to finish, and it guards
// the remembered state. The mixer devices are opened afresh for every call, so a fade starts from
// the volumes as they are now and sees devices that came or went.
class cSystemMixerFade
{
  public:
    // The time between two steps of a fade, and the shortest fade.
    static constexpr int stepMs = 50;

    // Fades the volume of the line of kind (0..8) on the device with that index, or on every
    // device with -1, to target (clamped to 0..65535) over duration ms (at least 50), blocking
    // for it. Remembers the volumes of that kind on every device before the fade. 0, or -1 for a
    // bad kind or device index or when there is no mixer device; a device without that line is
    // left alone.
    int16_t fadeToLine(int kind, int duration, int target, int device);
    // Fades the line faded last, on the device (or devices) it was faded on, from its volumes now
    // back to those it had before that fade. 0, or -1 when nothing was faded.
    int16_t fadeRestoreLine(int duration);

  private:
    struct sRemembered
    {
        // The device the volume was read from, so a restore never writes to another device that
        // took its index.
        std::string deviceName;
        // Empty when the device has no such line.
        std::optional<uint16_t> volume;
    };
    struct sLineFade
    {
        int device = 0;
        double value = 0;
        double step = 0;
        uint16_t target = 0;
    };

    static void runFade(platform::cAudioMixer& mixer, int kind, int duration,
                        std::vector<sLineFade>& lines);

    std::mutex lock_;
    bool faded_ = false;
    int kind_ = 0;
    int device_ = -1;
    std::vector<sRemembered> before_;
};

// The engine library's one fader.
cSystemMixerFade& systemMixerFade();

} // namespace qelt
