// Opening an entry of a mounted archive of 10,000 entries through the file manager.
#include "bench/texture_archive.h"
#include "core/file_manager.h"
#include "core/file_memory.h"

#include <benchmark/benchmark.h>

#include <cctype>
#include <memory>
#include <random>

namespace
{

constexpr int kEntries = 10000;

struct Sample
{
    std::vector<uint8_t> archive;
    qelt::cFileManager files;
    Sample()
    {
        archive = qelt::bench::textureArchive(kEntries);
        files.mountArchive(std::make_unique<qelt::cFileMemory>(archive.data(), archive.size()));
    }
};

Sample& sample()
{
    static Sample instance;
    return instance;
}

// Names in another case than stored, in a random order, so every open takes the whole path.
void openArchiveEntry(benchmark::State& state)
{
    Sample& s = sample();
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
        std::unique_ptr<qelt::cFile> file(s.files.openFile(names[i++ & 1023].c_str()));
        if (!file)
            state.SkipWithError("entry not found");
        benchmark::DoNotOptimize(file.get());
    }
}
BENCHMARK(openArchiveEntry);

} // namespace
