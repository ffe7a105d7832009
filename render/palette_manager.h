// The palette manager base: the named palettes of a renderer.
#pragma once

#include "render/renderer_handle.h"

#include <string>
#include <vector>

namespace qelt
{

class cRenderer;

// One palette with its count and 256 entries.
class cPaletteEntry
{
  public:
    explicit cPaletteEntry(cRenderer* renderer) : renderer(renderer) {}
    virtual ~cPaletteEntry() = default;

    cRenderer* renderer; // not owned
    int refCount = 0;
    std::string name;
    cPaletteColour colours[kPaletteSize] = {};
};

class cPaletteManager
{
  public:
    static constexpr int kInitialCapacity = 10;

    explicit cPaletteManager(cRenderer* renderer) : renderer_(renderer)
    {
        entries_.reserve(kInitialCapacity);
    }
    // Logs every entry still referenced and deletes all entries.
    virtual ~cPaletteManager();
    cPaletteManager(const cPaletteManager&) = delete;
    cPaletteManager& operator=(const cPaletteManager&) = delete;

    // The palette of a name (any case), created, loaded and named when new.
    virtual cPaletteHandle* palette(const char* name) = 0;
    // A new unnamed palette.
    virtual cPaletteHandle* createPalette() = 0;

    cRenderer* renderer() const { return renderer_; }
    std::vector<cPaletteEntry*>& entries() { return entries_; }

  protected:
    cRenderer* renderer_;                 // not owned
    std::vector<cPaletteEntry*> entries_; // owned
};

} // namespace qelt
