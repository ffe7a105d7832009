// Feeds arbitrary bytes to the scene stream reader, as a scene file (header, then the scene's
// reference) and as a bare component reference, with components that use every item and reference.
#include "core/file_memory.h"
#include "core/stream_load.h"
#include "tests/core/stream_probe.h"

#include <cstdint>

namespace
{

// Counting does not break the cycles a stream may build; the fuzzer's leak check would.
void breakCycles(qelt::cStreamLoad& load)
{
    for (qelt::cComponent* component : load.components())
    {
        component->setListeners({});
        if (auto* probe = dynamic_cast<qelt::testing::cStreamProbe*>(component))
        {
            probe->children.clear();
            probe->other.reset();
            probe->expression.reset();
            probe->field.reset();
        }
    }
}

void readStream(const uint8_t* data, size_t size, bool withHeader)
{
    qelt::cFileMemory file(data, size);
    qelt::cStreamLoad load(file);
    load.setShowMessageBox(false);
    qelt::cRef<qelt::cComponent> root;
    try
    {
        if (withHeader)
        {
            int32_t magic = 0, version = 0, width = 0, height = 0;
            bool flags[3] = {};
            load.io(magic).io(version).io(width).io(height);
            load.io(flags[0]).io(flags[1]).io(flags[2]);
        }
    }
    catch (const qelt::cFileException&)
    {
        return;
    }
    const bool ok = load.readRoot(root);
    if (ok == load.failed() || (!ok && load.error().empty()))
        __builtin_trap(); // a failed load always says why
    breakCycles(load);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool registered = (qelt::testing::registerStreamProbes(), true);
    (void)registered;
    readStream(data, size, true);
    readStream(data, size, false);
    return 0;
}
