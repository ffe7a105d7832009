// The null renderer: every operation succeeds or declines without touching a device.
#include "render/renderer_none.h"

namespace qelt
{

// ---- null buffers -----------------------------------------------------------------------------

namespace
{
// A fresh scratch block for last - first + 1 elements; none for an empty or reversed range.
uint8_t* scratchBlock(int first, int last, int elementSize)
{
    const long long count = static_cast<long long>(last) - first + 1;
    if (count <= 0)
        return nullptr;
    return new uint8_t[static_cast<std::size_t>(count) * elementSize];
}
} // namespace

cRendererVBHandleNone::~cRendererVBHandleNone()
{
    delete[] scratch_;
}

void* cRendererVBHandleNone::lock(uint32_t, int, int first, int last, uint32_t)
{
    delete[] scratch_;
    scratch_ = scratchBlock(first, last, 32);
    return scratch_;
}

void cRendererVBHandleNone::unlock(uint32_t, int)
{
    delete[] scratch_;
    scratch_ = nullptr;
}

cRendererIBHandleNone::~cRendererIBHandleNone()
{
    delete[] scratch_;
}

void* cRendererIBHandleNone::lock(int, int first, int last, uint32_t)
{
    delete[] scratch_;
    scratch_ = scratchBlock(first, last, 4);
    return scratch_;
}

void cRendererIBHandleNone::unlock(int)
{
    delete[] scratch_;
    scratch_ = nullptr;
}

// ---- null managers ----------------------------------------------------------------------------

cTextureHandle* cTextureManagerNone::createFromPixels(const char*, const void*, int, int, int, bool)
{
    return new cTextureHandleNone(renderer_);
}

cTextureHandle* cTextureManagerNone::loadTexture(const char*, bool, bool)
{
    return new cTextureHandleNone(renderer_);
}

cTextureHandle* cTextureManagerNone::createVolume(const char*, int, int, int, bool, bool)
{
    return new cTextureHandleNone(renderer_);
}

cTextureHandle* cTextureManagerNone::createEmpty(const char*, int, int, bool, bool, bool)
{
    return new cTextureHandleNone(renderer_);
}

cTextureHandle* cTextureManagerNone::createPadded(const char*, const void*, int, int, int, float&,
                                                  float&)
{
    return new cTextureHandleNone(renderer_);
}

cPaletteHandle* cPaletteManagerNone::palette(const char*)
{
    return new cPaletteHandleNone(renderer_);
}

cPaletteHandle* cPaletteManagerNone::createPalette()
{
    return new cPaletteHandleNone(renderer_);
}

// ---- the renderer -----------------------------------------------------------------------------

CRenderer_None::CRenderer_None(cRendererCallback* callback)
    : cRenderer(DriverNone, callback), target_(new cRendererTargetHandleNone(this))
{
    textureManager_ = std::make_unique<cTextureManagerNone>(this);
    paletteManager_ = std::make_unique<cPaletteManagerNone>(this);
    target_->addRef();
}

CRenderer_None::~CRenderer_None()
{
    target_->release();
}

// Counts what would have been drawn, once per batch, so statistics stay meaningful.
void CRenderer_None::draw(const cRenderContext*, cRendererVBHandle*, cRendererIBHandle*,
                          cRenderMaterial&, const std::vector<cPrimitiveBatch>& batches)
{
    for (const cPrimitiveBatch& batch : batches)
    {
        if (batch.count > 0)
            primitives_ += batch.count;
    }
}

cRendererVBHandle* CRenderer_None::createVertexBuffer(uint32_t, uint32_t,
                                                      const std::vector<cVertexRange>&, bool)
{
    return new cRendererVBHandleNone(this);
}

cRendererIBHandle* CRenderer_None::createIndexBuffer(bool, bool, const std::vector<cVertexRange>&,
                                                     bool)
{
    return new cRendererIBHandleNone(this);
}

void CRenderer_None::frameSize(int& width, int& height, int& pitch)
{
    width = 0;
    height = 0;
    pitch = 0;
}

cRenderer* createNullRenderer(cRendererParams* params, cRendererCallback* callback,
                              cRendererTargetHandle** outTarget)
{
    CRenderer_None* renderer = new CRenderer_None(callback);
    if (outTarget)
        *outTarget = renderer->target(0);
    return renderer;
}

} // namespace qelt
