// Feeds arbitrary bytes to the package lister and unpacker; everything lands in one scratch folder.
#include "app/package.h"
#include "core/file_memory.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::string target;
    if (target.empty())
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qelt-package-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        target = pattern;
        std::atexit([] { std::filesystem::remove_all(target); });
    }

    qelt::cFileMemory listed(data, size);
    std::vector<qelt::cPackageEntryInfo> entries;
    qelt::listPackage(listed, entries);

    qelt::cFileMemory unpacked(data, size);
    qelt::extractPackage(target, unpacked);
    return 0;
}
