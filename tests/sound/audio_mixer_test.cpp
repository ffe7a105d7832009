// Tests of the system mixer on the ALSA simple mixer: the device list, the line names, volume
// scaling, mute, lines and devices that do not exist, and values written by others.
#include "platform/audio_mixer.h"

#include "tests/sound/test_mixer_devices.h"

#include <gtest/gtest.h>

#include <ostream>

namespace qelt::platform
{
namespace
{

using qelt::testing::cMixerDeviceList;
using qelt::testing::cTestMixerDevices;

const char* const g_masterVolume = "Master Playback Volume";
const char* const g_pcmVolume = "PCM Playback Volume";
const char* const g_micVolume = "Mic Playback Volume";

// ---------------------------------------------------------------------------------------------
// The device list and the line names
// ---------------------------------------------------------------------------------------------

struct DeviceListCase
{
    const char* name;
    const char* variable;
    std::vector<std::string> expected;
};

void PrintTo(const DeviceListCase& row, std::ostream* out)
{
    *out << row.name;
}

class MixerDeviceNames : public ::testing::TestWithParam<DeviceListCase>
{
};

TEST_P(MixerDeviceNames, ComeFromTheVariable)
{
    cMixerDeviceList list(GetParam().variable);
    EXPECT_EQ(mixerDeviceNames(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MixerDeviceNames,
    ::testing::Values(DeviceListCase{"empty", "", {}}, DeviceListCase{"only_commas", ",,", {}},
                      DeviceListCase{"one", "default", {"default"}},
                      DeviceListCase{"in_order", "hw:1,default,hw:0", {"hw:1", "default", "hw:0"}},
                      DeviceListCase{"spaces_and_empty_entries", " a , ,b,", {"a", "b"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MixerLineElementName, MapsEveryKindAndNothingElse)
{
    const char* const expected[] = {"Master", "PCM",   "Synth",  "Aux", "CD",
                                    "Line",   "Phone", "IEC958", "Mic"};
    for (int kind = 0; kind < mixerLineKindCount; ++kind)
        EXPECT_STREQ(mixerLineElementName(kind), expected[kind]) << "kind " << kind;
    for (int kind : {-1, 9, 1000, INT32_MIN})
        EXPECT_EQ(mixerLineElementName(kind), nullptr) << "kind " << kind;
}

// ---------------------------------------------------------------------------------------------
// Devices of the test plug-in
// ---------------------------------------------------------------------------------------------

class AudioMixer : public ::testing::Test
{
  protected:
    void SetUp() override { devices_.reset(); }

    const cTestMixerDevices& devices_ = cTestMixerDevices::instance();
    cMixerDeviceList list_{"qelt_a,qelt_b"};
};

TEST_F(AudioMixer, OpensTheListedDevicesLeavingOutThoseThatCannotOpen)
{
    cMixerDeviceList list("qelt_b,qelt_missing,qelt_a");
    cAudioMixer mixer;
    ASSERT_EQ(mixer.deviceCount(), 2);
    EXPECT_EQ(mixer.deviceName(0), "qelt_b");
    EXPECT_EQ(mixer.deviceName(1), "qelt_a");
    EXPECT_EQ(mixer.deviceName(2), "");
    EXPECT_EQ(mixer.deviceName(-1), "");
}

TEST_F(AudioMixer, NoDeviceWhenNoneCanOpen)
{
    for (const char* variable : {"", "qelt_missing", "hw:99"})
    {
        cMixerDeviceList list(variable);
        cAudioMixer mixer;
        EXPECT_EQ(mixer.deviceCount(), 0) << variable;
        EXPECT_FALSE(mixer.lineVolume(0, 0)) << variable;
        EXPECT_FALSE(mixer.setLineVolume(0, 0, 0)) << variable;
        EXPECT_FALSE(mixer.setLineMute(0, 1, true)) << variable;
    }
}

struct ScaleCase
{
    const char* name;
    const char* control;
    int kind;
    std::vector<long> raw;
    uint16_t volume;
};

void PrintTo(const ScaleCase& row, std::ostream* out)
{
    *out << row.name;
}

class AudioMixerScale : public AudioMixer, public ::testing::WithParamInterface<ScaleCase>
{
};

// The raw values read as the volume.
TEST_P(AudioMixerScale, Reads)
{
    devices_.setControl("qelt_a", GetParam().control, GetParam().raw);
    cAudioMixer mixer;
    EXPECT_EQ(mixer.lineVolume(0, GetParam().kind), std::optional<uint16_t>(GetParam().volume));
}

// The volume written gives the raw values on every channel.
TEST_P(AudioMixerScale, Writes)
{
    const std::vector<long>& raw = GetParam().raw;
    // Starting from another value, so that the write is not one the mixer leaves out.
    devices_.setControl("qelt_a", GetParam().control, std::vector<long>(raw.size(), 20));
    cAudioMixer mixer;
    ASSERT_TRUE(mixer.setLineVolume(0, GetParam().kind, GetParam().volume));
    EXPECT_EQ(devices_.control("qelt_a", GetParam().control), raw);
    EXPECT_EQ(devices_.levels("qelt_a", GetParam().control), std::vector<long>{raw.front()});
    EXPECT_EQ(devices_.log("qelt_b"), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AudioMixerScale,
    ::testing::Values(ScaleCase{"master_bottom", g_masterVolume, 0, {0, 0}, 0},
                      ScaleCase{"master_top", g_masterVolume, 0, {255, 255}, 65535},
                      // 51 of 255 is exactly a fifth.
                      ScaleCase{"master_fifth", g_masterVolume, 0, {51, 51}, 13107},
                      ScaleCase{"pcm_bottom", g_pcmVolume, 1, {0, 0}, 0},
                      ScaleCase{"pcm_top", g_pcmVolume, 1, {100, 100}, 65535},
                      ScaleCase{"pcm_quarter", g_pcmVolume, 1, {25, 25}, 16384},
                      // The microphone's range starts at 10, so its bottom is 10.
                      ScaleCase{"mic_bottom", g_micVolume, 8, {10}, 0},
                      ScaleCase{"mic_top", g_micVolume, 8, {40}, 65535},
                      ScaleCase{"mic_half", g_micVolume, 8, {25}, 32768}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AudioMixer, ChannelsThatDifferReadAsTheirAverage)
{
    devices_.setControl("qelt_a", g_masterVolume, {0, 255});
    devices_.setControl("qelt_a", g_pcmVolume, {10, 30});
    cAudioMixer mixer;
    EXPECT_EQ(mixer.lineVolume(0, 0), std::optional<uint16_t>(32768));
    EXPECT_EQ(mixer.lineVolume(0, 1), std::optional<uint16_t>(13107));
}

TEST_F(AudioMixer, EveryDeviceHasItsOwnLines)
{
    devices_.setControl("qelt_a", g_pcmVolume, {100, 100});
    devices_.setControl("qelt_b", g_pcmVolume, {50, 50});
    cAudioMixer mixer;
    EXPECT_EQ(mixer.lineVolume(0, 1), std::optional<uint16_t>(65535));
    EXPECT_EQ(mixer.lineVolume(1, 1), std::optional<uint16_t>(32768));

    ASSERT_TRUE(mixer.setLineVolume(1, 1, 0));
    EXPECT_EQ(devices_.control("qelt_b", g_pcmVolume), (std::vector<long>{0, 0}));
    EXPECT_EQ(devices_.log("qelt_a"), "");
}

// A long-lived mixer reads what another process wrote since its last read, and a write equal to
// what it read before still reaches the device.
TEST_F(AudioMixer, SeesValuesWrittenByOthers)
{
    devices_.setControl("qelt_a", g_pcmVolume, {100, 100});
    cAudioMixer mixer;
    ASSERT_EQ(mixer.lineVolume(0, 1), std::optional<uint16_t>(65535));

    devices_.setControl("qelt_a", g_pcmVolume, {25, 25});
    EXPECT_EQ(mixer.lineVolume(0, 1), std::optional<uint16_t>(16384));

    devices_.setControl("qelt_a", g_pcmVolume, {50, 50});
    ASSERT_TRUE(mixer.setLineVolume(0, 1, 16384));
    EXPECT_EQ(devices_.control("qelt_a", g_pcmVolume), (std::vector<long>{25, 25}));
}

TEST_F(AudioMixer, MuteTurnsThePlaybackSwitchOffAndOn)
{
    cAudioMixer mixer;
    ASSERT_TRUE(mixer.setLineMute(0, 1, true));
    EXPECT_EQ(devices_.control("qelt_a", "PCM Playback Switch"), (std::vector<long>{0, 0}));
    ASSERT_TRUE(mixer.setLineMute(0, 1, false));
    EXPECT_EQ(devices_.control("qelt_a", "PCM Playback Switch"), (std::vector<long>{1, 1}));
    // Muting leaves the volume alone.
    EXPECT_EQ(devices_.control("qelt_a", g_pcmVolume), (std::vector<long>{100, 100}));
    EXPECT_EQ(devices_.control("qelt_b", "PCM Playback Switch"), std::vector<long>{});
}

struct MissingCase
{
    const char* name;
    const char* devices;
    int device;
    int kind;
};

void PrintTo(const MissingCase& row, std::ostream* out)
{
    *out << row.name;
}

class AudioMixerMissing : public AudioMixer, public ::testing::WithParamInterface<MissingCase>
{
};

TEST_P(AudioMixerMissing, AnswersNothingAndWritesNothing)
{
    cMixerDeviceList list(GetParam().devices);
    cAudioMixer mixer;
    EXPECT_FALSE(mixer.lineVolume(GetParam().device, GetParam().kind));
    EXPECT_FALSE(mixer.setLineVolume(GetParam().device, GetParam().kind, 1000));
    EXPECT_FALSE(mixer.setLineMute(GetParam().device, GetParam().kind, true));
    for (const char* device : {"qelt_a", "qelt_b", "qelt_c"})
        EXPECT_EQ(devices_.log(device), "") << device;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AudioMixerMissing,
    ::testing::Values(MissingCase{"device_negative", "qelt_a,qelt_b", -1, 1},
                      MissingCase{"device_count", "qelt_a,qelt_b", 2, 1},
                      MissingCase{"device_far", "qelt_a,qelt_b", 1000, 1},
                      MissingCase{"kind_negative", "qelt_a,qelt_b", 0, -1},
                      MissingCase{"kind_nine", "qelt_a,qelt_b", 0, 9},
                      MissingCase{"synth_not_on_device", "qelt_a,qelt_b", 0, 2},
                      MissingCase{"digital_not_on_device", "qelt_a,qelt_b", 1, 7},
                      MissingCase{"pcm_not_on_device", "qelt_a,qelt_c", 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace qelt::platform
