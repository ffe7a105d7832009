// Logging a message: when no handler accepts it, and when the file handler writes it.
#include "core/file_stdio_writeable.h"
#include "core/log_handlers.h"
#include "core/log_manager.h"
#include "platform/system.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

namespace
{

using qelt::cLogManager;

// A handler that takes only debug texts, so messages reach nobody.
class cDebugOnly : public cLogManager::cHandler
{
  public:
    cDebugOnly() : cHandler(cLogManager::kAllSources, cLogManager::kLevelDebug) {}
    void write(uint32_t, uint32_t, const char*) override {}
};

void messageNoHandlerAccepting(benchmark::State& state)
{
    cLogManager* manager = qelt::logManager();
    auto* handler = new cDebugOnly;
    manager->addHandler(handler);
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(qelt::messagef("frame %d of %s", i++, "demo scene"));
    manager->removeHandler(handler);
    delete handler;
}
BENCHMARK(messageNoHandlerAccepting);

void messageToFile(benchmark::State& state)
{
    const std::string path = qelt::platform::temporaryFolder() + "qelt-log-bench.txt";
    cLogManager* manager = qelt::logManager();
    auto* handler = new qelt::cLogHandlerFile(std::make_unique<qelt::cFileStdioWriteable>(path));
    manager->addHandler(handler);
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(qelt::messagef("frame %d of %s", i++, "demo scene"));
    manager->removeHandler(handler);
    delete handler;
    std::remove(path.c_str());
}
BENCHMARK(messageToFile);

} // namespace
