// Posting and delivering 100,000 events through the dispatcher.
#include "core/event.h"
#include "core/event_dispatcher.h"
#include "core/event_sink.h"
#include "core/event_type.h"
#include "core/frame_clock.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{

using namespace qelt;

class cCounter final : public cEventSink
{
  public:
    int handle(cEvent&) override
    {
        ++count;
        return eEventTaken;
    }
    int count = 0;
};

constexpr int kEvents = 100000;

// Arg 0: all due at once (immediate queue); arg 1: all delayed, due over 1000 ms.
void PostAndDeliver(benchmark::State& state)
{
    cFrameClock clock;
    clock.tick(kEvents + 1);
    cEventDispatcher dispatcher(clock);
    cEventType root(nullptr, "Bench", dispatcher);
    const cEventType leaf("Bench", "Leaf", dispatcher);
    cCounter sink;
    root.addSink(&sink);
    const bool delayed = state.range(0) != 0;
    for (auto _ : state)
    {
        // Distinct due times, so none is discarded as a duplicate of a waiting one.
        for (int i = 0; i < kEvents; ++i)
        {
            const uint32_t due = delayed ? clock.now() + 1 + static_cast<uint32_t>(i % 1000)
                                         : static_cast<uint32_t>(i + 1);
            dispatcher.post(std::make_unique<cEvent>(leaf, due), nullptr);
        }
        benchmark::DoNotOptimize(dispatcher.process(clock.now() + 1000));
    }
    state.SetItemsProcessed(state.iterations() * kEvents);
    if (sink.count != state.iterations() * kEvents)
        state.SkipWithError("events were lost");
}
BENCHMARK(PostAndDeliver)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
