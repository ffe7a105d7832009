// The engine clock: milliseconds on the steady clock, ticked once per frame.
#pragma once

#include <atomic>
#include <cstdint>

namespace qelt
{

// Ticked by the viewer thread once per frame, read by every thread; the two counts are atomic so
// readers never see a torn value (a reader may still see now and delta of different ticks).
class cFrameClock
{
  public:
    // Reads the steady clock once; delta starts at 0.
    cFrameClock();

    // Moves the clock to the steady clock's current millisecond.
    void tick();
    // Moves the clock to nowMs; delta is the unsigned difference from the previous now.
    void tick(uint32_t nowMs);

    uint32_t now() const { return now_.load(std::memory_order_relaxed); }
    uint32_t delta() const { return delta_.load(std::memory_order_relaxed); }
    float nowSeconds() const { return static_cast<float>(now()) * 0.001f; }
    float deltaSeconds() const { return static_cast<float>(delta()) * 0.001f; }

    // The steady clock in whole milliseconds, wrapping at 2^32.
    static uint32_t counterMs();

  private:
    std::atomic<uint32_t> now_{0};
    std::atomic<uint32_t> delta_{0};
};

// This module's frame clock.
cFrameClock& frameClock();

} // namespace qelt
