// Opening names in a scene archive of 100,000 entries.
#include "core/archive.h"
#include "core/file_memory.h"
#include "tools/pack_writer.h"

#include <benchmark/benchmark.h>

#include <random>

namespace
{

constexpr int kEntries = 100000;

std::string entryName(int i)
{
    return "Texture_" + std::to_string(i) + ".jpg";
}

struct Sample
{
    std::vector<uint8_t> archive;
    qelt::cArchiveIndex index;
    Sample()
    {
        std::vector<qelt::tools::cArchiveItem> items;
        for (int i = 0; i < kEntries; ++i)
            items.push_back({entryName(i), std::vector<uint8_t>(size_t(i % 17), uint8_t(i))});
        archive = qelt::tools::buildArchive(items);
        qelt::cFileMemory file(archive.data(), archive.size());
        index.build(file);
    }
};

const Sample& sample()
{
    static const Sample instance;
    return instance;
}

void buildIndex(benchmark::State& state)
{
    const Sample& s = sample();
    for (auto _ : state)
    {
        qelt::cFileMemory file(s.archive.data(), s.archive.size());
        qelt::cArchiveIndex index;
        index.build(file);
        benchmark::DoNotOptimize(index.entries().data());
    }
}
BENCHMARK(buildIndex)->Unit(benchmark::kMillisecond);

// Names in another case than stored, so the case-insensitive path is what is measured.
void lookUpName(benchmark::State& state)
{
    const Sample& s = sample();
    std::vector<std::string> names;
    std::mt19937 random(1);
    for (int i = 0; i < 1024; ++i)
    {
        std::string name = entryName(int(random() % kEntries));
        for (char& c : name)
            c = char(std::toupper(c));
        names.push_back(name);
    }
    std::size_t i = 0;
    for (auto _ : state)
    {
        const auto* entry = s.index.find(names[i++ & 1023]);
        if (!entry)
            state.SkipWithError("name not found");
        benchmark::DoNotOptimize(entry);
    }
}
BENCHMARK(lookUpName);

void openEntry(benchmark::State& state)
{
    const Sample& s = sample();
    qelt::cFileMemory archive(s.archive.data(), s.archive.size());
    std::size_t i = 0;
    for (auto _ : state)
    {
        auto file =
            qelt::openArchiveEntry(s.index, archive, entryName(int((i++ * 7919) % kEntries)));
        benchmark::DoNotOptimize(file.get());
    }
}
BENCHMARK(openEntry);

} // namespace
