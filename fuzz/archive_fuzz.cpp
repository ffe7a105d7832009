// Feeds arbitrary bytes to the scene archive index and reads every entry it finds.
#include "core/archive.h"
#include "core/file_memory.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qelt::cFileMemory archive(data, size);
    qelt::cArchiveIndex index;
    index.build(archive);
    for (const auto& entry : index.entries())
    {
        auto file = qelt::openArchiveEntry(index, archive, entry.name);
        if (!file)
            __builtin_trap(); // every listed name must open
        uint8_t buffer[256];
        while (file->read(buffer, sizeof buffer) > 0)
        {
        }
        if (!file->eof())
            __builtin_trap();
    }
    return 0;
}
