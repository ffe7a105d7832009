// Reading a 50 MB scene stream of mixed components: probes with every item kind, leaves, number
// expressions, back references and listener lists, all under one root.
#include "core/file_memory.h"
#include "core/stream_load.h"
#include "core/stream_save.h"
#include "tests/core/stream_probe.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace
{

using namespace qelt;
using namespace qelt::testing;

constexpr std::size_t kStreamBytes = 50u << 20;

// Written once, as root records back to back in one stream: a root probe whose children are a mix
// of the three classes, every fifth child a back reference to an earlier one, every probe pointing
// back at the child before it.
const std::vector<uint8_t>& mixedStream()
{
    static const std::vector<uint8_t> bytes = []
    {
        registerStreamProbes();
        cFileBuffer file;
        cStreamSave save(file);
        std::vector<cRef<cStreamProbe>> roots; // alive until written, so no number is reused
        for (int i = 0; file.bytes.size() < kStreamBytes; ++i)
        {
            cRef<cStreamProbe> root = roots.emplace_back(new cStreamProbe("root"));
            for (int j = 0; j < 10000; ++j)
            {
                const int n = i * 10000 + j;
                cRef<cComponent> child;
                if (j % 5 == 4)
                    child = root->children[static_cast<std::size_t>(j - 3)];
                else if (j % 3 == 0)
                {
                    cRef<cStreamProbe> probe = new cStreamProbe("probe" + std::to_string(n));
                    probe->text = "a text of some ordinary length";
                    probe->matrix4.m[12] = float(n);
                    probe->number = n;
                    if (!root->children.empty())
                        probe->other = root->children.back();
                    cRef<cStreamNumber> number = new cStreamNumber;
                    number->value = n;
                    probe->expression = number;
                    child = probe;
                }
                else if (j % 3 == 1)
                {
                    child = new cStreamLeaf("leaf" + std::to_string(n));
                    if (!root->children.empty())
                        root->children.back()->attachTo(*child);
                }
                else
                {
                    cRef<cStreamNumber> number = new cStreamNumber;
                    number->value = n;
                    child = number;
                }
                root->children.push_back(child);
            }
            save.writeComponent(root.get());
        }
        return file.bytes;
    }();
    return bytes;
}

// The stream holds several root records back to back; each is read as a scene file's would be.
void BM_ReadMixedStream(benchmark::State& state)
{
    const std::vector<uint8_t>& bytes = mixedStream();
    for (auto _ : state)
    {
        cFileMemory file(bytes.data(), bytes.size());
        cStreamLoad load(file);
        std::vector<cRef<cComponent>> roots;
        while (!file.eof())
        {
            cRef<cComponent> root;
            if (!load.readRoot(root))
            {
                state.SkipWithError(load.error().c_str());
                break;
            }
            roots.push_back(root);
        }
        benchmark::DoNotOptimize(roots.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadMixedStream)->Unit(benchmark::kMillisecond);

} // namespace
