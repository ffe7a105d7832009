// Feeds arbitrary texts to the reader of the variable that publishes the process pointers.
#include "core/process_pointers.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (uint32_t id : {0u, 0x1a2bu, 0xffffffffu})
    {
        const auto address = qelt::parseProcessPointersVariable(text, id);
        // Whatever is accepted is written back exactly, apart from the case of the digits.
        if (address && qelt::formatProcessPointersVariable(id, *address).size() != text.size())
            __builtin_trap();
        if (address && *address == 0)
            __builtin_trap();
    }
    return 0;
}
