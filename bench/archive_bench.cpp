// Opening names in a scene archive of 100,000 entries.
#include "bench/texture_archive.h"
#include "core/archive.h"
#include "core/file_memory.h"

#include <benchmark/benchmark.h>

#include <random>

namespace
{

constexpr int kEntries = 100000;

struct Sample
{
    std::vector<uint8_t> archive;
    qelt::cArchiveIndex index;
    Sample()
    {
        archive = qelt::bench::textureArchive(kEntries);
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
        std::string name = qelt::bench::textureName(int(random() % kEntries));
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
        auto file = qelt::openArchiveEntry(s.index, archive,
                                           qelt::bench::textureName(int((i++ * 7919) % kEntries)));
        benchmark::DoNotOptimize(file.get());
    }
}
BENCHMARK(openEntry);

} // namespace
