// Feeds arbitrary bytes, as a whole program file, to the resource block parser and touches every
// byte of every entry and of the appended scene it reports.
#include "platform/resources.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace
{

volatile uint8_t g_sink;

void touch(const uint8_t* data, uint64_t offset, uint64_t size)
{
    uint8_t sum = 0;
    for (uint64_t i = 0; i < size; ++i)
    {
        sum = static_cast<uint8_t>(sum + data[offset + i]);
    }
    g_sink = sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qelt::platform::cResourceLayout layout;
    std::string error;
    if (!qelt::platform::parseResourceLayout(data, size, &layout, &error))
    {
        if (error.empty())
        {
            __builtin_trap(); // a refusal always says why
        }
        return 0;
    }
    if (layout.blockStart > layout.blockEnd || layout.blockEnd > size)
    {
        __builtin_trap();
    }
    for (const qelt::platform::cResourceEntry& entry : layout.entries)
    {
        // Every entry lies inside its block.
        if (entry.offset < layout.blockStart || entry.offset > layout.blockEnd ||
            entry.size > layout.blockEnd - entry.offset)
        {
            __builtin_trap();
        }
        touch(data, entry.offset, entry.size);
    }
    if (layout.scene)
    {
        touch(data, layout.scene->offset, layout.scene->size);
    }
    return 0;
}
