// The null renderer: keeps the engine running with no drawing, and its null handles and managers.
#pragma once

#include "render/palette_manager.h"
#include "render/renderer.h"
#include "render/renderer_handle.h"
#include "render/texture_manager.h"

namespace qelt
{

class CRenderer_None;

// ---- null handles -----------------------------------------------------------------------------
// A vertex buffer whose lock hands out a scratch block of 32 bytes a vertex, discarded on unlock.
class cRendererVBHandleNone : public cRendererVBHandle
{
  public:
    using cRendererVBHandle::cRendererVBHandle;
    ~cRendererVBHandleNone() override;
    void* lock(uint32_t component, int range, int first, int last, uint32_t flags) override;
    void unlock(uint32_t component, int range) override;

  private:
    uint8_t* scratch_ = nullptr; // owned
};

// An index buffer whose lock hands out a scratch block of 4 bytes an index.
class cRendererIBHandleNone : public cRendererIBHandle
{
  public:
    using cRendererIBHandle::cRendererIBHandle;
    ~cRendererIBHandleNone() override;
    void* lock(int range, int first, int last, uint32_t flags) override;
    void unlock(int range) override;

  private:
    uint8_t* scratch_ = nullptr; // owned
};

// The null renderer's only target, with parameters of its own.
class cRendererTargetHandleNone : public cRendererTargetHandle
{
  public:
    using cRendererTargetHandle::cRendererTargetHandle;
    void moveTo(int x, int y) override {}
    bool reconfigure(const cRendererParams& params) override { return true; }
    cRendererParams params() const override { return params_; }

  private:
    cRendererParams params_;
};

// A texture that refers to no entry; updates do nothing.
class cTextureHandleNone : public cTextureHandle
{
  public:
    explicit cTextureHandleNone(cRenderer* renderer) : cTextureHandle(renderer, -1) {}
    bool updateVolumePixels(const void*, bool, const cTextureBox&, int, int) override
    {
        return true;
    }
    bool updatePixels(const void*, bool, int, int, int, int) override { return true; }
    bool updateRectPixels(const void*, bool, const cTextureRect&, int) override { return true; }
    void info(cTextureInfo& out) override {}
};

// A palette whose edits succeed and do nothing, and which cannot be applied.
class cPaletteHandleNone : public cPaletteHandle
{
  public:
    using cPaletteHandle::cPaletteHandle;
    bool setEntries(const cPaletteColour*) override { return true; }
    bool loadPalette(const char*) override { return true; }
    bool swapRandom(const char*) override { return true; }
    bool swapRedGreen(const char*) override { return true; }
    bool swapGreenBlue(const char*) override { return true; }
    bool swapBlueRed(const char*) override { return true; }
    bool apply() override { return false; }
    const cPaletteColour* entries() const override { return nullptr; }
};

// ---- null managers ----------------------------------------------------------------------------
class cTextureManagerNone : public cTextureManager
{
  public:
    using cTextureManager::cTextureManager;
    cTextureHandle* createFromMemoryFile(const char*, cFile*) override { return nullptr; }
    cTextureHandle* createFromPixels(const char*, const void*, int, int, int, bool) override;
    cTextureHandle* loadTexture(const char*, bool, bool) override;
    cTextureHandle* createVolume(const char*, int, int, int, bool, bool) override;
    cTextureHandle* createEmpty(const char*, int, int, bool, bool, bool) override;
    cTextureHandle* createPadded(const char*, const void*, int, int, int, float&, float&) override;
};

class cPaletteManagerNone : public cPaletteManager
{
  public:
    using cPaletteManager::cPaletteManager;
    cPaletteHandle* palette(const char*) override;
    cPaletteHandle* createPalette() override;
};

// ---- the null renderer ------------------------------------------------------------------------
class CRenderer_None : public cRenderer
{
  public:
    explicit CRenderer_None(cRendererCallback* callback);
    ~CRenderer_None() override;

    bool lock() override { return true; }
    bool unlock() override { return true; }
    bool isEffectValid(int effect) override { return true; }
    bool canSelectEye() override { return true; }
    int beginScene(cRendererTargetHandle*) override { return 0; }
    int present() override { return 0; }
    void selectEye(int) override {}
    int setBackgroundColour(uint8_t, uint8_t, uint8_t) override { return 0; }
    int setFog(bool, uint8_t, uint8_t, uint8_t, float, float, float) override { return 1; }
    int createTarget(cRendererParams&, cRendererTargetHandle**) override { return 0; }
    int targetCount() override { return 1; }
    cRendererTargetHandle* target(int) override { return target_; }
    int setTransform(int, const float*) override { return 0; }
    void draw(const cRenderContext* context, cRendererVBHandle* vertices,
              cRendererIBHandle* indices, cRenderMaterial& material,
              const std::vector<cPrimitiveBatch>& batches) override;
    cRendererVBHandle* createVertexBuffer(uint32_t, uint32_t, const std::vector<cVertexRange>&,
                                          bool) override;
    cRendererIBHandle* createIndexBuffer(bool, bool, const std::vector<cVertexRange>&,
                                         bool) override;
    bool readPixels(uint8_t*, int, bool) override { return false; }
    bool saveScreenshot(const char*) override { return false; }
    void frameSize(int& width, int& height, int& pitch) override;
    void enableOffScreen(bool) override {}
    bool GetMaxOffScreenRendering(int&, int&) override { return false; }
    bool beginOffScreen(int&, int&, int&, cProgress*) override { return false; }
    bool readOffScreen(uint8_t*, int, bool) override { return false; }
    bool endOffScreen() override { return false; }
    bool textureCompression() override { return false; }
    void setTextureCompression(bool) override {}
    int textureReduction() override { return 0; }
    void setTextureReduction(int) override {}
    void memoryReport(std::vector<std::string>&) override {}
    void destroy() override { delete this; }

  private:
    cRendererTargetHandleNone* target_; // counted
};

// The null renderer's factory, with the signature of a plug-in's CreateRenderer.
cRenderer* createNullRenderer(cRendererParams* params, cRendererCallback* callback,
                              cRendererTargetHandle** outTarget);

} // namespace qelt
