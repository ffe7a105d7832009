// The handle classes a renderer hands out: buffers, targets, textures and palettes, all counted.
#pragma once

#include "core/ref_count.h"

#include <cstdint>

namespace qelt
{

class cRenderer;
struct cRendererParams;

// The base of every handle: a counted object that remembers the renderer that made it.
class cRendererHandle : public cRefCount
{
  public:
    explicit cRendererHandle(cRenderer* renderer) : renderer_(renderer) {}
    cRenderer* renderer() const { return renderer_; }

  protected:
    cRenderer* renderer_; // not owned
};

// Vertex storage: one stream per component and range.
class cRendererVBHandle : public cRendererHandle
{
  public:
    using cRendererHandle::cRendererHandle;
    // A writable pointer to elements first..last of one component in one range; null on failure.
    virtual void* lock(uint32_t component, int range, int first, int last, uint32_t flags) = 0;
    // Ends the write started by lock.
    virtual void unlock(uint32_t component, int range) = 0;
};

// Index storage, 16-bit or 32-bit indices as chosen at creation.
class cRendererIBHandle : public cRendererHandle
{
  public:
    using cRendererHandle::cRendererHandle;
    // A writable pointer to indices first..last of one range; null on failure.
    virtual void* lock(int range, int first, int last, uint32_t flags) = 0;
    // Ends the write started by lock.
    virtual void unlock(int range) = 0;
};

// A render target (a window or its full-screen mode).
class cRendererTargetHandle : public cRendererHandle
{
  public:
    using cRendererHandle::cRendererHandle;
    // Moves the target rectangle, keeping its size.
    virtual void moveTo(int x, int y) = 0;
    // Replaces the parameters and rebuilds the target; false when the device refuses.
    virtual bool reconfigure(const cRendererParams& params) = 0;
    // The current parameters.
    virtual cRendererParams params() const = 0;
};

// A box inside a volume texture, and a rectangle inside a picture (right and bottom exclusive).
struct cTextureBox
{
    int left, top, front, right, bottom, back;
};
struct cTextureRect
{
    int left, top, right, bottom;
};
// What info reports about a texture.
struct cTextureInfo
{
    int width = 0;
    int height = 0;
    int depth = 0;
    uint32_t flags = 0;
};

// A texture: refers to one entry of its renderer's texture manager.
class cTextureHandle : public cRendererHandle
{
  public:
    cTextureHandle(cRenderer* renderer, int entry) : cRendererHandle(renderer), entry_(entry) {}
    // Replaces the top level of a volume texture.
    virtual bool updateVolumePixels(const void* pixels, bool hasAlpha, const cTextureBox& box,
                                    int rowPitch, int slicePitch) = 0;
    // Replaces the top level (of one cube face) from 32-bit pixels with alpha or 24-bit without.
    virtual bool updatePixels(const void* pixels, bool hasAlpha, int width, int height, int pitch,
                              int cubeFace) = 0;
    // The same for a sub-rectangle.
    virtual bool updateRectPixels(const void* pixels, bool hasAlpha, const cTextureRect& rect,
                                  int pitch) = 0;
    // Fills width, height, depth and the entry flags.
    virtual void info(cTextureInfo& out) = 0;

    // The entry index in the texture manager; -1 for none.
    int entry() const { return entry_; }

  protected:
    int entry_;
};

// One palette colour: red, green, blue and flags bytes.
struct cPaletteColour
{
    uint8_t red, green, blue, flags;
};
constexpr int kPaletteSize = 256;

// A palette: 256 entries applied to the paletted textures that use it.
class cPaletteHandle : public cRendererHandle
{
  public:
    using cRendererHandle::cRendererHandle;
    // The editing operations change the entries and apply the palette again.
    virtual bool setEntries(const cPaletteColour* entries) = 0;
    virtual bool loadPalette(const char* name) = 0;
    virtual bool swapRandom(const char* listName) = 0;
    virtual bool swapRedGreen(const char* listName) = 0;
    virtual bool swapGreenBlue(const char* listName) = 0;
    virtual bool swapBlueRed(const char* listName) = 0;
    // Hands the entries to the device.
    virtual bool apply() = 0;
    // The 256 entries; null when the palette has none.
    virtual const cPaletteColour* entries() const = 0;
};

} // namespace qelt
