// The texture manager base: the texture entries of a renderer, their counts and video streams.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qelt
{

class cAviReader;
class cFile;
class cRenderer;
class cTextureHandle;

// One texture, shared by every handle that names it.
class cTextureEntry
{
  public:
    enum Flags : uint32_t
    {
        FlagAviVideo = 1,
        FlagStreamedVideo = 2,
        FlagCubeMap = 4,
        FlagPadded = 16,
    };

    cTextureEntry();
    virtual ~cTextureEntry();

    int refCount = 0;
    std::string name; // lower-cased copy; empty for none
    uint32_t flags = 0;
    int width = 0;
    int height = 0;
    int depth = 0;
    void* data = nullptr; // the renderer's own, freed by the renderer's entry subclass

    // The video stream of an AVI texture (openAviStream).
    std::unique_ptr<cAviReader> avi; // owned
    int aviRate = 0;
    int aviScale = 0;
    int aviStart = 0;
    int aviLength = 0;
    double aviStartTime = 0.0; // seconds
};

class cTextureManager
{
  public:
    explicit cTextureManager(cRenderer* renderer) : renderer_(renderer) {}
    // Logs every entry still referenced and deletes all entries.
    virtual ~cTextureManager();
    cTextureManager(const cTextureManager&) = delete;
    cTextureManager& operator=(const cTextureManager&) = delete;

    // A texture from an image file in memory.
    virtual cTextureHandle* createFromMemoryFile(const char* name, cFile* file) = 0;
    // A texture from pixels, 32-bit with alpha or 24-bit without.
    virtual cTextureHandle* createFromPixels(const char* name, const void* pixels, int width,
                                             int height, int pitch, bool hasAlpha) = 0;
    // The texture of a file name; an existing entry of that name (any case) is shared.
    virtual cTextureHandle* loadTexture(const char* name, bool compress, bool alphaFromSource) = 0;
    // An empty volume texture.
    virtual cTextureHandle* createVolume(const char* name, int width, int height, int depth,
                                         bool hasAlpha, bool compress) = 0;
    // An empty texture or cube map.
    virtual cTextureHandle* createEmpty(const char* name, int width, int height, bool hasAlpha,
                                        bool cube, bool compress) = 0;
    // A texture padded to the device's size rules; scaleU and scaleV map the picture into it.
    virtual cTextureHandle* createPadded(const char* name, const void* pixels, int width,
                                         int height, int format, float& scaleU, float& scaleV) = 0;
    // A hook for the renderers; nothing in the base.
    virtual void hook(int first, int second) {}
    // True when an entry has this name, ignoring case.
    virtual bool contains(const char* name);
    // The first free slot, appended when there is none.
    virtual int allocateSlot();
    // Drops one reference of an entry; the last one deletes it.
    virtual void DecreaseReference(int index);
    // Opens the first video stream of an AVI file with its frame decoder into the entry.
    virtual bool openAviStream(const char* name, cTextureEntry& entry);

    cRenderer* renderer() const { return renderer_; }
    std::vector<cTextureEntry*>& entries() { return entries_; }

  protected:
    cRenderer* renderer_;                 // not owned
    std::vector<cTextureEntry*> entries_; // owned; null marks a free slot
};

} // namespace qelt
