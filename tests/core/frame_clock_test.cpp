// Tests of the frame clock.
#include "core/frame_clock.h"

#include <gtest/gtest.h>

namespace qelt
{
namespace
{

TEST(FrameClock, TickSetsNowAndDelta)
{
    cFrameClock clock;
    EXPECT_EQ(clock.delta(), 0u);
    clock.tick(1000);
    clock.tick(1250);
    EXPECT_EQ(clock.now(), 1250u);
    EXPECT_EQ(clock.delta(), 250u);
    EXPECT_FLOAT_EQ(clock.nowSeconds(), 1.25f);
    EXPECT_FLOAT_EQ(clock.deltaSeconds(), 0.25f);
}

TEST(FrameClock, DeltaIsUnsignedAcrossTheWrap)
{
    cFrameClock clock;
    clock.tick(0xfffffff0u);
    clock.tick(0x10);
    EXPECT_EQ(clock.delta(), 0x20u);
    EXPECT_FLOAT_EQ(clock.deltaSeconds(), 0.032f);
}

TEST(FrameClock, FollowsTheSteadyClock)
{
    cFrameClock clock;
    const uint32_t start = clock.now();
    const uint32_t before = cFrameClock::counterMs();
    clock.tick();
    const uint32_t after = cFrameClock::counterMs();
    EXPECT_LE(before, clock.now());
    EXPECT_LE(clock.now(), after);
    EXPECT_EQ(clock.delta(), clock.now() - start);
}

TEST(FrameClock, OnePerModule)
{
    EXPECT_EQ(&frameClock(), &frameClock());
}

} // namespace
} // namespace qelt
