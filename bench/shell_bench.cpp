// Parsing and running one typical command line in a shell: parse only, and parse plus execute.
#include "shell/shell.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace
{

using namespace qelt;

// A shell with a group, a command that reads its arguments and a variable, as a scene's
// commands look.
struct cBenchShell
{
    cShell shell;
    int32_t lines = 20;
    float total = 0.0f;
    cShellGroup scene{nullptr, "scene", "", &shell};
    cShellFunction move{[this](cShellCall& call)
                        {
                            float x = 0.0f;
                            for (int i = 0; i < call.argumentCount(); ++i)
                                if (call.argument(i).getFloat(x))
                                    total += x;
                        },
                        "scene", "move", "", &shell};
    cShellFunction add{[](cShellCall& call) { call.argument(0).add(call.argument(1)); }, nullptr,
                       "add", "", &shell};
    cShellVariableGeneral<int32_t> linesVariable{&lines, nullptr, "lines", "", &shell};
};

constexpr const char* kCommand = "scene.move 1.5, lines * 2 + 1, \"cam\"; lines += 1";

void BM_Parse(benchmark::State& state)
{
    cBenchShell bench;
    for (auto _ : state)
    {
        cRef<cExpression> tree = bench.shell.parse(kCommand);
        benchmark::DoNotOptimize(tree.get());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Parse);

void BM_ParseAndExecute(benchmark::State& state)
{
    cBenchShell bench;
    for (auto _ : state)
        benchmark::DoNotOptimize(bench.shell.executeText(kCommand));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseAndExecute);

} // namespace
