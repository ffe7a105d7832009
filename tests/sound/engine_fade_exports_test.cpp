// The engine library's two fade exports, bound by their decorated names as a host binds them,
// answering on the test devices as the fader does.
#include "platform/shared_library.h"

#include "tests/sound/test_mixer_devices.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace qelt
{
namespace
{

using qelt::testing::cMixerDeviceList;
using qelt::testing::cTestMixerDevices;

const char* const g_pcmVolume = "PCM Playback Volume";

// One test: the library's fader is one per process and keeps what it faded last.
TEST(EngineFadeExports, FadeAndRestoreThroughTheLibrary)
{
    const cTestMixerDevices& devices = cTestMixerDevices::instance();
    devices.reset();
    cMixerDeviceList list("qelt_a,qelt_b");

    // Kept open to the end of the process, as a host keeps the engine.
    static platform::cSharedLibrary* library = new platform::cSharedLibrary;
    if (!library->isOpen())
    {
        ASSERT_TRUE(library->open(QELT_ENGINE_PATH)) << library->error();
    }
    auto fadeToLine =
        reinterpret_cast<int16_t (*)(int, int, int, int)>(library->symbol("_FadeToLine@16"));
    auto fadeRestore = reinterpret_cast<int16_t (*)(int)>(library->symbol("_FadeRestoreLine@4"));
    ASSERT_TRUE(fadeToLine && fadeRestore);

    EXPECT_EQ(fadeRestore(100), -1);
    EXPECT_EQ(fadeToLine(9, 100, 0, -1), -1);
    EXPECT_EQ(fadeToLine(1, 100, 0, 2), -1);
    EXPECT_EQ(devices.log("qelt_a"), "");

    devices.setControl("qelt_a", g_pcmVolume, {100, 100});
    devices.setControl("qelt_b", g_pcmVolume, {40, 40});
    EXPECT_EQ(fadeToLine(1, 100, 0, 0), 0);
    EXPECT_EQ(devices.levels("qelt_a", g_pcmVolume), (std::vector<long>{50, 0}));
    EXPECT_EQ(devices.log("qelt_b"), "");

    EXPECT_EQ(fadeRestore(20), 0);
    EXPECT_EQ(devices.control("qelt_a", g_pcmVolume), (std::vector<long>{100, 100}));
    EXPECT_EQ(devices.log("qelt_b"), "");
}

} // namespace
} // namespace qelt
