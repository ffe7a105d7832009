// The fades of the system mixer's lines: reading the volumes, stepping them every 50 ms and
// remembering what to restore.
#include "sound/system_mixer_fade.h"

#include "platform/audio_mixer.h"
#include "platform/system.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace qelt
{

namespace
{

constexpr int g_fullScale = 65535;

void report(const std::string& text)
{
    platform::debugOutput(("mixer fade: " + text + "\n").c_str());
}

// The step from current to target when the fade takes duration ms.
double stepFor(uint16_t current, uint16_t target, int duration)
{
    return (static_cast<double>(target) - current) / (duration / cSystemMixerFade::stepMs);
}

} // namespace

cSystemMixerFade& systemMixerFade()
{
    static cSystemMixerFade fader;
    return fader;
}

// Every 50 ms each line takes one step (clamped to 0..65535) while the duration lasts; then,
// once the whole duration has passed, every line gets its exact target. A duration of 50 ms
// writes the targets at once.
void cSystemMixerFade::runFade(platform::cAudioMixer& mixer, int kind, int duration,
                               std::vector<sLineFade>& lines)
{
    using clock = std::chrono::steady_clock;
    if (duration > stepMs)
    {
        const clock::time_point start = clock::now();
        const int steps = duration / stepMs;
        for (int step = 1; step <= steps; ++step)
        {
            std::this_thread::sleep_until(start +
                                          std::chrono::milliseconds(int64_t(step) * stepMs));
            for (sLineFade& line : lines)
            {
                line.value = std::clamp(line.value + line.step, 0.0, double(g_fullScale));
                mixer.setLineVolume(line.device, kind,
                                    static_cast<uint16_t>(std::lround(line.value)));
            }
        }
        std::this_thread::sleep_until(start + std::chrono::milliseconds(duration));
    }
    for (const sLineFade& line : lines)
        mixer.setLineVolume(line.device, kind, line.target);
}

int16_t cSystemMixerFade::fadeToLine(int kind, int duration, int target, int device)
{
    if (platform::mixerLineElementName(kind) == nullptr)
    {
        report("line kind " + std::to_string(kind) + " is not 0 to 8");
        return -1;
    }
    duration = std::max(duration, stepMs);
    const auto goal = static_cast<uint16_t>(std::clamp(target, 0, g_fullScale));

    std::lock_guard<std::mutex> hold(lock_);
    platform::cAudioMixer mixer;
    const int count = mixer.deviceCount();
    if (count == 0)
    {
        report("no mixer device");
        return -1;
    }
    if (device < -1 || device >= count)
    {
        report("device " + std::to_string(device) + " is not -1 or 0 to " +
               std::to_string(count - 1));
        return -1;
    }

    // Every device's volume is remembered, whichever device fades.
    std::vector<sRemembered> before(count);
    std::vector<sLineFade> lines;
    for (int index = 0; index < count; ++index)
    {
        before[index].deviceName = mixer.deviceName(index);
        before[index].volume = mixer.lineVolume(index, kind);
        if (!before[index].volume)
            continue;
        if (device != -1 && device != index)
            continue;
        const uint16_t current = *before[index].volume;
        lines.push_back({index, double(current), stepFor(current, goal, duration), goal});
    }
    runFade(mixer, kind, duration, lines);

    faded_ = true;
    kind_ = kind;
    device_ = device;
    before_ = std::move(before);
    return 0;
}

int16_t cSystemMixerFade::fadeRestoreLine(int duration)
{
    duration = std::max(duration, stepMs);
    std::lock_guard<std::mutex> hold(lock_);
    if (!faded_)
    {
        report("nothing was faded to restore");
        return -1;
    }
    platform::cAudioMixer mixer;
    std::vector<sLineFade> lines;
    for (int index = 0; index < static_cast<int>(before_.size()); ++index)
    {
        const sRemembered& remembered = before_[index];
        if (device_ != -1 && device_ != index)
            continue;
        if (!remembered.volume || mixer.deviceName(index) != remembered.deviceName)
            continue;
        const std::optional<uint16_t> current = mixer.lineVolume(index, kind_);
        if (!current)
            continue;
        lines.push_back({index, double(*current), stepFor(*current, *remembered.volume, duration),
                         *remembered.volume});
    }
    runFade(mixer, kind_, duration, lines);
    return 0;
}

} // namespace qelt
