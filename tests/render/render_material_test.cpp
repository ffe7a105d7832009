// Tests of the render material: parameter walks and texture resolution through a renderer.
#include "render/render_material.h"

#include "render/renderer_none.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qelt
{
namespace
{

// The names one full walk of the dword map yields, up to the empty name that ends it.
std::vector<std::string> walkDwords(cRenderMaterial& material, std::vector<uint32_t>* values)
{
    std::vector<std::string> names;
    uint32_t* value = nullptr;
    for (std::string name = material.nextDword(value); !name.empty();
         name = material.nextDword(value))
    {
        names.push_back(name);
        if (values)
            values->push_back(*value);
    }
    EXPECT_EQ(value, nullptr);
    return names;
}

TEST(RenderMaterial, WalksEndWithAnEmptyNameAndStartAgain)
{
    cRenderMaterial material;
    material.dwords = {{"zwrite", 1}, {"alpharef", 128}, {"cull", 2}};
    std::vector<uint32_t> values;
    EXPECT_EQ(walkDwords(material, &values),
              (std::vector<std::string>{"alpharef", "cull", "zwrite"}));
    EXPECT_EQ(values, (std::vector<uint32_t>{128, 2, 1}));
    EXPECT_EQ(walkDwords(material, nullptr),
              (std::vector<std::string>{"alpharef", "cull", "zwrite"}));

    // The maps have cursors of their own.
    material.vectors["tint"] = {1, 0.5f, 0, 1};
    material.matrices["uv"] = {};
    std::array<float, 4>* vector = nullptr;
    std::array<float, 16>* matrix = nullptr;
    uint32_t* dword = nullptr;
    EXPECT_EQ(material.nextDword(dword), "alpharef");
    EXPECT_EQ(material.nextVector(vector), "tint");
    ASSERT_NE(vector, nullptr);
    EXPECT_EQ((*vector)[1], 0.5f);
    EXPECT_EQ(material.nextVector(vector), "");
    EXPECT_EQ(material.nextMatrix(matrix), "uv");
    EXPECT_EQ(material.nextDword(dword), "cull");

    // An empty map ends at once, every time.
    cRenderMaterialTexture* texture = nullptr;
    EXPECT_EQ(material.nextTexture(texture), "");
    EXPECT_EQ(material.nextTexture(texture), "");
}

TEST(RenderMaterial, ResolvesNamedTexturesAndThePaletteOnce)
{
    CRenderer_None renderer(nullptr);
    cRenderMaterial material;
    material.textures["diffuse"].textureName = "wall.jpg";
    material.textures["unused"].textureName = "";
    material.paletteName = "sky";

    material.resolveTextures(renderer);
    ASSERT_TRUE(material.textures["diffuse"].handle);
    EXPECT_FALSE(material.textures["unused"].handle);
    ASSERT_TRUE(material.palette);
    cTextureHandle* first = material.textures["diffuse"].handle.get();
    cPaletteHandle* palette = material.palette.get();
    EXPECT_EQ(first->refCount(), 1);

    // What is already resolved is kept.
    material.resolveTextures(renderer);
    EXPECT_EQ(material.textures["diffuse"].handle.get(), first);
    EXPECT_EQ(material.palette.get(), palette);

    material.releaseTextures();
    EXPECT_FALSE(material.textures["diffuse"].handle);
    EXPECT_FALSE(material.palette);
}

} // namespace
} // namespace qelt
