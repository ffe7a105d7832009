// Unpacking the library package against plain zlib decompression of the same entries.
#include "app/package.h"
#include "core/file_memory.h"
#include "tools/pack_writer.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <random>

namespace
{

// Shared libraries of the machine are the closest thing to what a package carries; when none
// is found, a mix of repeated and random bytes stands in.
std::vector<qelt::tools::cPackItem> sampleEntries()
{
    std::vector<qelt::tools::cPackItem> items;
    for (const char* path :
         {"/usr/lib/x86_64-linux-gnu/libstdc++.so.6", "/usr/lib/x86_64-linux-gnu/libc.so.6",
          "/usr/lib/x86_64-linux-gnu/libm.so.6", "/usr/lib/x86_64-linux-gnu/libz.so.1"})
    {
        qelt::tools::cPackItem item{
            qelt::tools::cPackItem::File, std::filesystem::path(path).filename(), {}};
        if (qelt::tools::readWholeFile(path, item.data, nullptr))
            items.push_back(std::move(item));
    }
    if (items.empty())
    {
        std::mt19937 random(7);
        for (int i = 0; i < 4; ++i)
        {
            qelt::tools::cPackItem item{
                qelt::tools::cPackItem::File, "entry" + std::to_string(i) + ".so", {}};
            for (int n = 0; n < 2 << 20; ++n)
                item.data.push_back(n % 64 < 48 ? uint8_t(n / 7) : uint8_t(random()));
            items.push_back(std::move(item));
        }
    }
    return items;
}

struct Sample
{
    std::vector<qelt::tools::cPackItem> items = sampleEntries();
    std::vector<uint8_t> package = qelt::tools::buildPackage(items);
    int64_t unpackedBytes = 0;
    Sample()
    {
        for (const auto& item : items)
            unpackedBytes += int64_t(item.data.size());
    }
};

const Sample& sample()
{
    static const Sample instance;
    return instance;
}

void extractPackageIntoFolder(benchmark::State& state)
{
    const Sample& s = sample();
    std::string target = std::filesystem::temp_directory_path() / "qelt-package-bench";
    std::filesystem::create_directories(target);
    for (auto _ : state)
    {
        qelt::cFileMemory source(s.package.data(), s.package.size());
        if (!qelt::extractPackage(target, source))
            state.SkipWithError("extractPackage failed");
    }
    state.SetBytesProcessed(state.iterations() * s.unpackedBytes);
    std::filesystem::remove_all(target);
}
BENCHMARK(extractPackageIntoFolder)->Unit(benchmark::kMillisecond);

// The same entries inflated with zlib's one-call decompression; with writeFiles, each result
// is also written to a file, as unpacking must.
void zlibUncompress(benchmark::State& state, bool writeFiles)
{
    const Sample& s = sample();
    std::string target = std::filesystem::temp_directory_path() / "qelt-package-bench-zlib";
    std::filesystem::create_directories(target);
    std::vector<std::vector<uint8_t>> packed;
    for (const auto& item : s.items)
    {
        uLongf size = compressBound(uLong(item.data.size()));
        std::vector<uint8_t> bytes(size);
        compress(bytes.data(), &size, item.data.data(), uLong(item.data.size()));
        bytes.resize(size);
        packed.push_back(std::move(bytes));
    }
    std::vector<uint8_t> out;
    for (auto _ : state)
    {
        for (std::size_t i = 0; i < packed.size(); ++i)
        {
            out.resize(s.items[i].data.size());
            uLongf size = uLongf(out.size());
            if (uncompress(out.data(), &size, packed[i].data(), uLong(packed[i].size())) != Z_OK)
                state.SkipWithError("uncompress failed");
            benchmark::DoNotOptimize(out.data());
            if (writeFiles && !qelt::tools::writeWholeFile(target + "/" + s.items[i].name, out, nullptr))
                state.SkipWithError("write failed");
        }
    }
    state.SetBytesProcessed(state.iterations() * s.unpackedBytes);
    std::filesystem::remove_all(target);
}
BENCHMARK_CAPTURE(zlibUncompress, inMemory, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(zlibUncompress, andWriteFiles, true)->Unit(benchmark::kMillisecond);

} // namespace
