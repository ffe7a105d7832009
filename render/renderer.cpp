// The renderer base: vertex formats, the per-renderer effect rows, statistics and logging.
#include "render/renderer.h"

#include "render/palette_manager.h"
#include "render/renderer_callback.h"
#include "render/renderer_handle.h"
#include "render/texture_manager.h"

#include <bit>

namespace qelt
{

cRenderer::cRenderer(int driverKind, cRendererCallback* callback)
    : driverKind_(driverKind), callback_(callback)
{
    for (int i = 0; i < kEffectCount; ++i)
        effects_[i] = {kEffectTable[i].effectClass, kEffectTable[i].shaderKind,
                       kEffectTable[i].vertexFormat};
}

cRenderer::~cRenderer()
{
    if (normalisationCubeMap_)
        normalisationCubeMap_->release();
    // The managers log through this renderer, so they go while it is still whole.
    paletteManager_.reset();
    textureManager_.reset();
}

void cRenderer::logf(const char* format, ...)
{
    if (!callback_)
        return;
    va_list args;
    va_start(args, format);
    callback_->log(format, args);
    va_end(args);
}

// ---- vertex formats ---------------------------------------------------------------------------

int cRenderer::vertexSize(uint32_t format)
{
    int size = 0;
    for (uint32_t bits = format & kVertexComponentMask; bits != 0; bits &= bits - 1)
        size += vertexComponentSize(bits & (~bits + 1));
    return size;
}

int cRenderer::componentCount(uint32_t format)
{
    return std::popcount(format & kVertexComponentMask);
}

uint32_t cRenderer::component(uint32_t format, int n)
{
    if (n < 0)
        return 0;
    uint32_t bits = format & kVertexComponentMask;
    for (int i = 0; i < n && bits != 0; ++i)
        bits &= bits - 1;
    return bits & (~bits + 1);
}

// ---- effects ----------------------------------------------------------------------------------
// Ids outside the table answer as an effect with nothing: format 0, class 0, fixed pipeline.

uint32_t cRenderer::effectVertexFormat(int effect)
{
    return effectInfo(effect) ? effects_[effect].vertexFormat : 0;
}

int cRenderer::effectShaderKind(int effect)
{
    return effectInfo(effect) ? effects_[effect].shaderKind : kShaderFixed;
}

int cRenderer::effectClass(int effect)
{
    return effectInfo(effect) ? effects_[effect].effectClass : 0;
}

bool cRenderer::isEffectOpaque(int effect)
{
    const cEffectInfo* info = effectInfo(effect);
    return info && info->opaque;
}

bool cRenderer::effectNeedsVertexShader(int effect)
{
    const cEffectInfo* info = effectInfo(effect);
    return info && info->shaderKind == kShaderVertexProgram;
}

// ---- statistics -------------------------------------------------------------------------------

void cRenderer::resetStatistics()
{
    primitives_ = 0;
    secondCounter_ = 0;
    ++frames_;
}

void cRenderer::statistics(std::pair<int, int>& out)
{
    out = {primitives_, secondCounter_};
}

} // namespace qelt
