// The render material: what a draw needs from a material, an effect with named parameters.
#pragma once

#include "core/ref_count.h"
#include "render/renderer_handle.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace qelt
{

class cRenderer;

// A texture parameter: the file it names, a value for the effect and the loaded handle.
struct cRenderMaterialTexture
{
    std::string textureName;
    int value = 0;
    cRef<cTextureHandle> handle;
};

class cRenderMaterial
{
  public:
    virtual ~cRenderMaterial() = default;

    // Each walks one map: the name under the cursor with its value in out, then advances; at the
    // end an empty name, and the cursor is back at the start.
    virtual std::string nextTexture(cRenderMaterialTexture*& out);
    virtual std::string nextDword(uint32_t*& out);
    virtual std::string nextMatrix(std::array<float, 16>*& out);
    virtual std::string nextVector(std::array<float, 4>*& out);

    // Loads the textures without a handle and fetches the palette, through the renderer.
    void resolveTextures(cRenderer& renderer);
    // Drops every texture handle and the palette handle.
    void releaseTextures();

    std::string name;
    uint32_t effect = 0;
    std::map<std::string, uint32_t> dwords;
    std::map<std::string, std::array<float, 16>> matrices;
    std::map<std::string, std::array<float, 4>> vectors;
    std::map<std::string, cRenderMaterialTexture> textures;
    uint8_t alphaFromSource = 0;
    std::string paletteName;
    cRef<cPaletteHandle> palette;

  private:
    // Position of each map's cursor, counted from its first entry.
    std::size_t textureCursor_ = 0;
    std::size_t dwordCursor_ = 0;
    std::size_t matrixCursor_ = 0;
    std::size_t vectorCursor_ = 0;
};

} // namespace qelt
