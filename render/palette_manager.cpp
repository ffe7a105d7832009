// The palette manager base: deleting what is left, and saying which palettes were still in use.
#include "render/palette_manager.h"

#include "render/renderer.h"

namespace qelt
{

cPaletteManager::~cPaletteManager()
{
    for (cPaletteEntry*& entry : entries_)
    {
        if (!entry)
            continue;
        if (entry->refCount != 0 && renderer_)
            renderer_->logf("Palette '%s' released while still referenced (%d)\n",
                            entry->name.c_str(), entry->refCount);
        delete entry;
        entry = nullptr;
    }
}

} // namespace qelt
