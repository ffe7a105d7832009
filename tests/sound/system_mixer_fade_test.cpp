// Tests of the fades of the system mixer's lines on devices of the test plug-in: refused
// arguments, the steps written, the devices reached, and restoring what a fade changed.
#include "sound/system_mixer_fade.h"

#include "tests/sound/test_mixer_devices.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <ostream>
#include <thread>

namespace qelt
{
namespace
{

using qelt::testing::cMixerDeviceList;
using qelt::testing::cTestMixerDevices;
using Levels = std::vector<long>;

const char* const g_masterVolume = "Master Playback Volume";
const char* const g_pcmVolume = "PCM Playback Volume";

// A fresh fader (nothing faded yet) over the devices qelt_a and qelt_b.
class SystemMixerFade : public ::testing::Test
{
  protected:
    void SetUp() override { devices_.reset(); }

    // Every device's log is empty: nothing was written anywhere.
    void expectNothingWritten() const
    {
        for (const char* device : {"qelt_a", "qelt_b", "qelt_c"})
            EXPECT_EQ(devices_.log(device), "") << device;
    }

    // Runs a fade and gives how long it blocked, in ms.
    long long timedFade(int kind, int duration, int target, int device, int16_t& result)
    {
        const auto start = std::chrono::steady_clock::now();
        result = fader_.fadeToLine(kind, duration, target, device);
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start)
            .count();
    }

    const cTestMixerDevices& devices_ = cTestMixerDevices::instance();
    cMixerDeviceList list_{"qelt_a,qelt_b"};
    cSystemMixerFade fader_;
};

// ---------------------------------------------------------------------------------------------
// Refused calls
// ---------------------------------------------------------------------------------------------

struct BadArgumentCase
{
    const char* name;
    int kind;
    int device;
};

void PrintTo(const BadArgumentCase& row, std::ostream* out)
{
    *out << row.name;
}

class SystemMixerFadeBadArgument : public SystemMixerFade,
                                   public ::testing::WithParamInterface<BadArgumentCase>
{
};

// A refused fade writes nothing and leaves nothing to restore.
TEST_P(SystemMixerFadeBadArgument, AnswersMinusOne)
{
    EXPECT_EQ(fader_.fadeToLine(GetParam().kind, 100, 0, GetParam().device), -1);
    EXPECT_EQ(fader_.fadeRestoreLine(100), -1);
    expectNothingWritten();
}

INSTANTIATE_TEST_SUITE_P(Cases, SystemMixerFadeBadArgument,
                         ::testing::Values(BadArgumentCase{"kind_negative", -1, 0},
                                           BadArgumentCase{"kind_nine", 9, 0},
                                           BadArgumentCase{"kind_nine_all_devices", 9, -1},
                                           BadArgumentCase{"kind_lowest", INT_MIN, 0},
                                           // Two devices: index 2 is one past the last.
                                           BadArgumentCase{"device_count", 1, 2},
                                           BadArgumentCase{"device_count_plus_one", 1, 3},
                                           BadArgumentCase{"device_minus_two", 1, -2},
                                           BadArgumentCase{"device_lowest", 1, INT_MIN},
                                           BadArgumentCase{"device_highest", 1, INT_MAX}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SystemMixerFade, NoMixerDeviceAnswersMinusOne)
{
    for (const char* variable : {"", ",", "qelt_missing", "qelt_missing,hw:99"})
    {
        cMixerDeviceList list(variable);
        EXPECT_EQ(fader_.fadeToLine(1, 100, 0, -1), -1) << variable;
        EXPECT_EQ(fader_.fadeToLine(1, 100, 0, 0), -1) << variable;
        EXPECT_EQ(fader_.fadeRestoreLine(100), -1) << variable;
    }
    expectNothingWritten();
}

TEST_F(SystemMixerFade, RestoreBeforeAnyFadeAnswersMinusOne)
{
    EXPECT_EQ(fader_.fadeRestoreLine(100), -1);
    EXPECT_EQ(fader_.fadeRestoreLine(20), -1);
    expectNothingWritten();
}

// ---------------------------------------------------------------------------------------------
// Steps
// ---------------------------------------------------------------------------------------------

struct StepCase
{
    const char* name;
    const char* control;
    int kind;
    std::vector<long> start;
    int duration;
    int target;
    // The levels the device is set to, in order.
    Levels levels;
};

void PrintTo(const StepCase& row, std::ostream* out)
{
    *out << row.name;
}

class SystemMixerFadeSteps : public SystemMixerFade, public ::testing::WithParamInterface<StepCase>
{
};

TEST_P(SystemMixerFadeSteps, WritesTheStepsEndingOnTheTarget)
{
    const StepCase& row = GetParam();
    devices_.setControl("qelt_a", row.control, row.start);
    int16_t result = -2;
    const long long took = timedFade(row.kind, row.duration, row.target, 0, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(devices_.levels("qelt_a", row.control), row.levels);
    EXPECT_EQ(devices_.control("qelt_a", row.control),
              std::vector<long>(row.start.size(), row.levels.back()));
    EXPECT_EQ(devices_.log("qelt_b"), "");
    // The call blocks for the whole duration (50 ms and less write at once).
    if (row.duration > cSystemMixerFade::stepMs)
    {
        EXPECT_GE(took, row.duration);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SystemMixerFadeSteps,
    ::testing::Values(
        // Four steps of a quarter each: 100 of 0..100 down to 0.
        StepCase{"pcm_down_200ms", g_pcmVolume, 1, {100, 100}, 200, 0, Levels{75, 50, 25, 0}},
        StepCase{"pcm_up_200ms", g_pcmVolume, 1, {0, 0}, 200, 65535, Levels{25, 50, 75, 100}},
        // 120 ms is two steps of half the way, then the target once the 120 ms are over
        // (the mixer leaves out writing a value the control holds already).
        StepCase{"master_up_120ms", g_masterVolume, 0, {0, 0}, 120, 65535, Levels{128, 255}},
        // A target between two raw values is written as the nearest.
        StepCase{"pcm_three_steps_150ms", g_pcmVolume, 1, {100, 100}, 150, 1000, Levels{67, 34, 2}},
        // 50 ms and less write the target at once, and only that.
        StepCase{"short_20ms", g_pcmVolume, 1, {100, 100}, 20, 0, Levels{0}},
        StepCase{"short_50ms", g_pcmVolume, 1, {100, 100}, 50, 32768, Levels{50}},
        StepCase{"short_zero", g_pcmVolume, 1, {0, 0}, 0, 65535, Levels{100}},
        StepCase{"short_negative", g_pcmVolume, 1, {100, 100}, -500, 0, Levels{0}},
        // Targets outside 0..65535 are clamped.
        StepCase{"target_above", g_pcmVolume, 1, {50, 50}, 20, 70000, Levels{100}},
        StepCase{"target_below", g_pcmVolume, 1, {50, 50}, 20, -5, Levels{0}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Devices
// ---------------------------------------------------------------------------------------------

TEST_F(SystemMixerFade, FadesTheChosenDeviceOnly)
{
    devices_.setControl("qelt_a", g_pcmVolume, {100, 100});
    devices_.setControl("qelt_b", g_pcmVolume, {40, 40});
    EXPECT_EQ(fader_.fadeToLine(1, 100, 0, 1), 0);
    EXPECT_EQ(devices_.levels("qelt_b", g_pcmVolume), (Levels{20, 0}));
    EXPECT_EQ(devices_.log("qelt_a"), "");
}

TEST_F(SystemMixerFade, MinusOneFadesEveryDeviceFromItsOwnVolume)
{
    devices_.setControl("qelt_a", g_pcmVolume, {100, 100});
    devices_.setControl("qelt_b", g_pcmVolume, {40, 40});
    EXPECT_EQ(fader_.fadeToLine(1, 100, 0, -1), 0);
    EXPECT_EQ(devices_.levels("qelt_a", g_pcmVolume), (Levels{50, 0}));
    EXPECT_EQ(devices_.levels("qelt_b", g_pcmVolume), (Levels{20, 0}));
    // Only the faded line is touched.
    EXPECT_TRUE(devices_.writes("qelt_a", g_masterVolume).empty());
}

// qelt_c has no PCM line: it is left alone and the other device still fades.
TEST_F(SystemMixerFade, SkipsADeviceWithoutTheLine)
{
    cMixerDeviceList list("qelt_c,qelt_a");
    devices_.setControl("qelt_a", g_pcmVolume, {100, 100});
    EXPECT_EQ(fader_.fadeToLine(1, 100, 0, -1), 0);
    EXPECT_EQ(devices_.levels("qelt_a", g_pcmVolume), (Levels{50, 0}));
    EXPECT_EQ(devices_.log("qelt_c"), "");

    EXPECT_EQ(fader_.fadeRestoreLine(100), 0);
    EXPECT_EQ(devices_.control("qelt_a", g_pcmVolume), (std::vector<long>{100, 100}));
    EXPECT_EQ(devices_.log("qelt_c"), "");

    // Chosen alone, the device without the line makes a fade that writes nothing.
    EXPECT_EQ(fader_.fadeToLine(1, 20, 0, 0), 0);
    EXPECT_EQ(devices_.log("qelt_c"), "");
    EXPECT_EQ(devices_.control("qelt_a", g_pcmVolume), (std::vector<long>{100, 100}));
}

// ---------------------------------------------------------------------------------------------
// Restoring
// ---------------------------------------------------------------------------------------------

TEST_F(SystemMixerFade, RestoreBringsBackEveryDevicesVolume)
{
    devices_.setControl("qelt_a", g_pcmVolume, {100, 100});
    devices_.setControl("qelt_b", g_pcmVolume, {40, 40});
    ASSERT_EQ(fader_.fadeToLine(1, 100, 0, -1), 0);
    devices_.reset();
    devices_.setControl("qelt_a", g_pcmVolume, {0, 0});
    devices_.setControl("qelt_b", g_pcmVolume, {0, 0});

    EXPECT_EQ(fader_.fadeRestoreLine(100), 0);
    EXPECT_EQ(devices_.levels("qelt_a", g_pcmVolume), (Levels{50, 100}));
    EXPECT_EQ(devices_.levels("qelt_b", g_pcmVolume), (Levels{20, 40}));
}

// The restore starts from the volumes as they are now and reaches only the faded device.
TEST_F(SystemMixerFade, RestoreStartsFromTheCurrentVolumeOnTheFadedDevice)
{
    devices_.setControl("qelt_a", g_pcmVolume, {100, 100});
    devices_.setControl("qelt_b", g_pcmVolume, {40, 40});
    ASSERT_EQ(fader_.fadeToLine(1, 100, 0, 1), 0);
    devices_.reset();
    devices_.setControl("qelt_a", g_pcmVolume, {70, 70});
    devices_.setControl("qelt_b", g_pcmVolume, {10, 10});

    EXPECT_EQ(fader_.fadeRestoreLine(100), 0);
    EXPECT_EQ(devices_.levels("qelt_b", g_pcmVolume), (Levels{25, 40}));
    EXPECT_EQ(devices_.log("qelt_a"), "");
}

// A restore fades the line faded last, to the volumes before that fade; it can run again.
TEST_F(SystemMixerFade, RestoreFollowsTheLastFade)
{
    devices_.setControl("qelt_a", g_pcmVolume, {100, 100});
    devices_.setControl("qelt_a", g_masterVolume, {255, 255});
    ASSERT_EQ(fader_.fadeToLine(1, 20, 0, 0), 0);
    ASSERT_EQ(fader_.fadeToLine(0, 20, 0, 0), 0);
    ASSERT_EQ(fader_.fadeToLine(0, 20, 32768, 0), 0);

    EXPECT_EQ(fader_.fadeRestoreLine(20), 0);
    EXPECT_EQ(devices_.control("qelt_a", g_masterVolume), (std::vector<long>{0, 0}));
    EXPECT_EQ(devices_.control("qelt_a", g_pcmVolume), (std::vector<long>{0, 0}));

    devices_.setControl("qelt_a", g_masterVolume, {200, 200});
    EXPECT_EQ(fader_.fadeRestoreLine(20), 0);
    EXPECT_EQ(devices_.control("qelt_a", g_masterVolume), (std::vector<long>{0, 0}));
}

// Two host threads fading at once take turns, and each fade is carried out whole.
TEST_F(SystemMixerFade, FadesFromTwoThreadsTakeTurns)
{
    devices_.setControl("qelt_a", g_pcmVolume, {100, 100});
    devices_.setControl("qelt_b", g_masterVolume, {255, 255});
    int16_t first = -2;
    int16_t second = -2;
    const auto start = std::chrono::steady_clock::now();
    std::thread pcm([&] { first = fader_.fadeToLine(1, 100, 0, 0); });
    std::thread master([&] { second = fader_.fadeToLine(0, 100, 0, 1); });
    pcm.join();
    master.join();
    const auto took = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 0);
    EXPECT_GE(took, std::chrono::milliseconds(200));
    EXPECT_EQ(devices_.levels("qelt_a", g_pcmVolume), (Levels{50, 0}));
    EXPECT_EQ(devices_.levels("qelt_b", g_masterVolume), (Levels{128, 0}));

    // Whichever ran last is restored, whole.
    EXPECT_EQ(fader_.fadeRestoreLine(20), 0);
    const bool pcmBack = devices_.control("qelt_a", g_pcmVolume) == std::vector<long>{100, 100};
    const bool masterBack =
        devices_.control("qelt_b", g_masterVolume) == std::vector<long>{255, 255};
    EXPECT_NE(pcmBack, masterBack);
}

} // namespace
} // namespace qelt
