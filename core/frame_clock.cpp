// The engine clock on the steady clock.
#include "core/frame_clock.h"

#include <chrono>

namespace qelt
{

cFrameClock::cFrameClock() : now_(counterMs()) {}

void cFrameClock::tick()
{
    tick(counterMs());
}

void cFrameClock::tick(uint32_t nowMs)
{
    delta_.store(nowMs - now(), std::memory_order_relaxed);
    now_.store(nowMs, std::memory_order_relaxed);
}

uint32_t cFrameClock::counterMs()
{
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch();
    const uint64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(ticks).count();
    return static_cast<uint32_t>(ms);
}

cFrameClock& frameClock()
{
    static cFrameClock clock;
    return clock;
}

} // namespace qelt
