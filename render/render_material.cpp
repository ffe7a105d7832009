// The render material's parameter walks and its texture resolution.
#include "render/render_material.h"

#include "render/palette_manager.h"
#include "render/renderer.h"
#include "render/texture_manager.h"

#include <iterator>

namespace qelt
{

namespace
{
// One step of a walk over a map with a cursor.
template <typename Map, typename Value> std::string walk(Map& map, std::size_t& cursor, Value*& out)
{
    if (cursor >= map.size())
    {
        cursor = 0;
        out = nullptr;
        return std::string();
    }
    auto it = std::next(map.begin(), static_cast<std::ptrdiff_t>(cursor));
    ++cursor;
    out = &it->second;
    return it->first;
}
} // namespace

std::string cRenderMaterial::nextTexture(cRenderMaterialTexture*& out)
{
    return walk(textures, textureCursor_, out);
}

std::string cRenderMaterial::nextDword(uint32_t*& out)
{
    return walk(dwords, dwordCursor_, out);
}

std::string cRenderMaterial::nextMatrix(std::array<float, 16>*& out)
{
    return walk(matrices, matrixCursor_, out);
}

std::string cRenderMaterial::nextVector(std::array<float, 4>*& out)
{
    return walk(vectors, vectorCursor_, out);
}

void cRenderMaterial::resolveTextures(cRenderer& renderer)
{
    if (cTextureManager* manager = renderer.textureManager())
    {
        for (auto& [key, texture] : textures)
        {
            if (!texture.handle && !texture.textureName.empty())
                texture.handle =
                    manager->loadTexture(texture.textureName.c_str(), renderer.textureCompression(),
                                         alphaFromSource != 0);
        }
    }
    if (!palette && !paletteName.empty())
    {
        if (cPaletteManager* manager = renderer.paletteManager())
            palette = manager->palette(paletteName.c_str());
    }
}

void cRenderMaterial::releaseTextures()
{
    for (auto& [key, texture] : textures)
        texture.handle.reset();
    palette.reset();
}

} // namespace qelt
