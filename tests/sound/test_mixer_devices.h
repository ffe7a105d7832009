// Mixer devices for the tests: an ALSA configuration naming devices of the test control plug-in,
// their state and write logs, and the device list the mixer opens.
#pragma once

#include "platform/system.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace qelt::testing
{

// The devices of the configuration: "qelt_a" and "qelt_b" have the lines Master (0..255,
// stereo), PCM (0..100, stereo) and Mic (10..40, mono); "qelt_c" lacks PCM.
class cTestMixerDevices
{
  public:
    // The one configuration of the process: libasound reads its configuration files on the first
    // open, so ALSA_CONFIG_PATH is set before any test opens a device.
    static cTestMixerDevices& instance()
    {
        static cTestMixerDevices devices;
        return devices;
    }

    std::string statePath(const std::string& device) const { return folder_ / (device + ".state"); }
    std::string logPath(const std::string& device) const { return folder_ / (device + ".log"); }

    // Every device back to full volume, switched on, with an empty log.
    void reset() const
    {
        for (const char* device : {"qelt_a", "qelt_b", "qelt_c"})
        {
            std::filesystem::remove(statePath(device));
            writeText(logPath(device), "");
        }
    }

    // Sets a control as another process would, by rewriting the device's state file.
    void setControl(const std::string& device, const std::string& control,
                    const std::vector<long>& values) const
    {
        std::string kept;
        std::istringstream lines(readText(statePath(device)));
        std::string line;
        while (std::getline(lines, line))
        {
            if (line.rfind(control + "=", 0) != 0)
                kept += line + "\n";
        }
        writeText(statePath(device), kept + describe(control, values));
    }

    // The values of a control as the device holds them; empty when it never wrote its state.
    std::vector<long> control(const std::string& device, const std::string& control) const
    {
        const std::vector<std::vector<long>> found = valuesIn(statePath(device), control);
        return found.empty() ? std::vector<long>{} : found.back();
    }

    // Every write the device received for a control, in order.
    std::vector<std::vector<long>> writes(const std::string& device,
                                          const std::string& control) const
    {
        return valuesIn(logPath(device), control);
    }

    // The levels a control was set to, in order: the writes that left every channel equal.
    // libasound sets a line's channels one at a time, each a write of the whole control, so
    // setting a stereo line from 100 to 0 logs "0 100" and then "0 0": the level is 0.
    std::vector<long> levels(const std::string& device, const std::string& control) const
    {
        std::vector<long> found;
        for (const std::vector<long>& values : writes(device, control))
        {
            if (!values.empty() && std::all_of(values.begin(), values.end(),
                                               [&](long value) { return value == values.front(); }))
                found.push_back(values.front());
        }
        return found;
    }

    // Every write the device received, whichever control.
    std::string log(const std::string& device) const { return readText(logPath(device)); }

  private:
    cTestMixerDevices()
    {
        std::string config = "ctl_type.qelt_test { lib \"" QELT_TEST_MIXER_PLUGIN "\" }\n";
        const struct
        {
            const char* name;
            const char* lines;
        } devices[] = {
            {"qelt_a", "Master PCM Mic"}, {"qelt_b", "Master PCM Mic"}, {"qelt_c", "Master Mic"}};
        for (const auto& device : devices)
        {
            config += std::string("ctl.") + device.name + " { type qelt_test state \"" +
                      statePath(device.name) + "\" log \"" + logPath(device.name) + "\" lines \"" +
                      device.lines + "\" }\n";
        }
        writeText(folder_ / "asound.conf", config);
        platform::setEnvironment("ALSA_CONFIG_PATH", folder_ / "asound.conf");
    }

    static std::string describe(const std::string& control, const std::vector<long>& values)
    {
        std::string text = control + "=";
        for (size_t index = 0; index < values.size(); ++index)
            text += (index > 0 ? " " : "") + std::to_string(values[index]);
        return text + "\n";
    }

    static std::vector<std::vector<long>> valuesIn(const std::string& path,
                                                   const std::string& control)
    {
        std::vector<std::vector<long>> found;
        std::istringstream lines(readText(path));
        std::string line;
        while (std::getline(lines, line))
        {
            if (line.rfind(control + "=", 0) != 0)
                continue;
            std::istringstream numbers(line.substr(control.size() + 1));
            std::vector<long> values;
            long value = 0;
            while (numbers >> value)
                values.push_back(value);
            found.push_back(values);
        }
        return found;
    }

    cTempFolder folder_;
};

// QELT_MIXER_DEVICES set for as long as it lives (an empty optional removes it), then back to
// what it was, so a test can nest one inside its fixture's.
class cMixerDeviceList
{
  public:
    explicit cMixerDeviceList(const std::optional<std::string>& devices)
        : before_(platform::getEnvironment("QELT_MIXER_DEVICES"))
    {
        platform::setEnvironment("QELT_MIXER_DEVICES", devices);
    }
    ~cMixerDeviceList() { platform::setEnvironment("QELT_MIXER_DEVICES", before_); }
    cMixerDeviceList(const cMixerDeviceList&) = delete;
    cMixerDeviceList& operator=(const cMixerDeviceList&) = delete;

  private:
    std::optional<std::string> before_;
};

} // namespace qelt::testing
