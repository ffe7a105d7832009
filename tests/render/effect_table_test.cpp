// Tests of the effect table and the vertex formats, as data against the published table.
#include "render/effect_table.h"
#include "render/renderer_none.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

namespace qelt
{
namespace
{

// The table as it is published, one text row per effect: id, name, class, opaque, shader kind,
// vertex format.
const char* const kPublishedTable = R"(
| 0 | "SolidColor" | 2 | 1 | 1 | 0x11 |
| 1 | "WireFrameFixedColor" | 2 | 0 | 1 | 0x1 |
| 2 | "WireFrameVertexColor" | 2 | 0 | 1 | 0x11 |
| 3 | "SolidColorTexture" | 2 | 1 | 1 | 0x10011 |
| 4 | "SolidColorEnv" | 2 | 1 | 1 | 0x15 |
| 5 | "SolidFixedColor" | 2 | 1 | 1 | 0x1 |
| 6 | "SolidColorTextureAlphaMap" | 8 | 0 | 1 | 0x10011 |
| 7 | "SolidTextureAlphaMap" | 8 | 0 | 1 | 0x10001 |
| 8 | "SolidColorEnvAlpha" | 8 | 0 | 1 | 0x15 |
| 9 | "SolidColorAlpha" | 8 | 0 | 1 | 0x11 |
| 10 | "VertexShaderTest" | 2 | 1 | 2 | 0x1100005 |
| 11 | "LightTest" | 2 | 1 | 1 | 0x5 |
| 12 | "FlashTexture" | 8 | 1 | 1 | 0x1 |
| 13 | "FlashColor" | 8 | 1 | 1 | 0x1 |
| 14 | "PointSpriteAlpha" | 8 | 1 | 1 | 0x10011 |
| 15 | "Billboard" | 8 | 1 | 1 | 0x10001 |
| 16 | "BlendBillboard" | 8 | 1 | 1 | 0x10001 |
| 17 | "UI" | 32 | 1 | 1 | 0x10001 |
| 18 | "SolidColorTextureEnv" | 2 | 1 | 1 | 0x10015 |
| 19 | "SolidTexture" | 2 | 1 | 1 | 0x10001 |
| 20 | "SolidColorTwoTextures" | 2 | 1 | 1 | 0x30011 |
| 21 | "SolidColorTextureAlpha" | 8 | 0 | 1 | 0x10011 |
| 22 | "SolidTextureAlpha" | 8 | 0 | 1 | 0x10001 |
| 23 | "SolidEnvAlpha" | 8 | 0 | 1 | 0x5 |
| 24 | "SolidColorTextureEnvAlpha" | 8 | 0 | 1 | 0x10015 |
| 25 | "SolidColorTextureEnvAlphaMap" | 8 | 0 | 1 | 0x10015 |
| 26 | "SolidColorTwoTexturesAlpha" | 8 | 0 | 1 | 0x30011 |
| 27 | "SolidColorTwoTexturesAlphaMap" | 8 | 0 | 1 | 0x30011 |
| 28 | "SolidColorTint" | 2 | 1 | 1 | 0x11 |
| 29 | "MaxTransparencyEnv" | 8 | 0 | 1 | 0x70031 |
| 30 | "MaxTransparencyOpacityLevelEnv" | 8 | 0 | 1 | 0x70031 |
| 31 | "FlashStencilInc" | 8 | 1 | 1 | 0x1 |
| 32 | "FlashStencilDec" | 8 | 1 | 1 | 0x1 |
| 33 | "Outline" | 8 | 0 | 1 | 0x15 |
| 34 | "Silhouette" | 8 | 0 | 2 | 0x5 |
| 35 | "Scetch" | 2 | 1 | 2 | 0x10000001 |
| 36 | "ScetchBackface" | 2 | 1 | 2 | 0x10000005 |
| 37 | "Cartoon" | 2 | 1 | 2 | 0x11 |
| 38 | "Pencil" | 2 | 1 | 2 | 0x11 |
| 39 | "Wipe" | 8 | 0 | 1 | 0x10001 |
)";

// Every row of the static table, and every renderer's copy of it, equals the published row.
TEST(EffectTable, MatchesThePublishedTable)
{
    CRenderer_None renderer(nullptr);
    std::istringstream rows(kPublishedTable);
    std::string line;
    int seen = 0;
    while (std::getline(rows, line))
    {
        if (line.empty())
            continue;
        int id = -1, effectClass = 0, opaque = 0, shaderKind = 0;
        unsigned format = 0;
        char name[64] = {};
        ASSERT_EQ(std::sscanf(line.c_str(), "| %d | \"%63[^\"]\" | %d | %d | %d | %x |", &id, name,
                              &effectClass, &opaque, &shaderKind, &format),
                  6)
            << line;
        ASSERT_EQ(id, seen) << line;
        SCOPED_TRACE(line);
        const cEffectInfo* info = effectInfo(id);
        ASSERT_NE(info, nullptr);
        EXPECT_STREQ(info->name, name);
        EXPECT_EQ(info->effectClass, effectClass);
        EXPECT_EQ(info->opaque, opaque != 0);
        EXPECT_EQ(info->shaderKind, shaderKind);
        EXPECT_EQ(info->vertexFormat, format);
        EXPECT_EQ(renderer.effectClass(id), effectClass);
        EXPECT_EQ(renderer.isEffectOpaque(id), opaque != 0);
        EXPECT_EQ(renderer.effectShaderKind(id), shaderKind);
        EXPECT_EQ(renderer.effectNeedsVertexShader(id), shaderKind == 2);
        EXPECT_EQ(renderer.effectVertexFormat(id), format);
        ++seen;
    }
    EXPECT_EQ(seen, kEffectCount);
    EXPECT_EQ(effectInfo(-1), nullptr);
    EXPECT_EQ(effectInfo(kEffectCount), nullptr);
    EXPECT_EQ(renderer.effectVertexFormat(kEffectCount), 0u);
    EXPECT_FALSE(renderer.isEffectOpaque(-1));
}

struct cFormatCase
{
    const char* name;
    uint32_t format;
    int size;
    int count;
};

// Vertex sizes and component counts: every single component with its published element size,
// then mixed formats and bits that name no component.
TEST(VertexFormat, SizesAndCountsFollowTheComponents)
{
    const cFormatCase cases[] = {
        {"position", eVertexPosition, 12, 1},
        {"scalar0", eVertexScalar0, 4, 1},
        {"normal", eVertexNormal, 12, 1},
        {"scalar1", eVertexScalar1, 4, 1},
        {"colour", eVertexColour, 4, 1},
        {"colour2", eVertexColour2, 4, 1},
        {"tex0", eVertexTex0, 8, 1},
        {"tex1", eVertexTex1, 8, 1},
        {"tex2", eVertexTex2, 8, 1},
        {"tex3", eVertexTex3, 8, 1},
        {"attribA1", eVertexAttribA1, 4, 1},
        {"attribA2", eVertexAttribA2, 8, 1},
        {"attribA3", eVertexAttribA3, 12, 1},
        {"attribA4", eVertexAttribA4, 16, 1},
        {"attribB1", eVertexAttribB1, 4, 1},
        {"attribB2", eVertexAttribB2, 8, 1},
        {"attribB3", eVertexAttribB3, 12, 1},
        {"attribB4", eVertexAttribB4, 16, 1},
        {"shaderData", eVertexShaderData, 16, 1},
        {"position colour tex0", 0x10011, 24, 3},
        {"two attributes", 0x00300000, 12, 2},
        {"vertex shader test", 0x1100005, 32, 4},
        {"max transparency", 0x70031, 44, 6},
        {"empty", 0, 0, 0},
        {"bits of no component", 0xE000FFC0, 0, 0},
        {"position among stray bits", 0x80000041, 12, 1},
    };
    CRenderer_None renderer(nullptr);
    for (const cFormatCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(renderer.vertexSize(c.format), c.size);
        EXPECT_EQ(renderer.componentCount(c.format), c.count);
    }
}

TEST(VertexFormat, ComponentsAreEnumeratedInAscendingOrder)
{
    CRenderer_None renderer(nullptr);
    EXPECT_EQ(renderer.component(0x10011, 0), 0x1u);
    EXPECT_EQ(renderer.component(0x10011, 1), 0x10u);
    EXPECT_EQ(renderer.component(0x10011, 2), 0x10000u);
    EXPECT_EQ(renderer.component(0x10011, 3), 0u);
    EXPECT_EQ(renderer.component(0x10011, -1), 0u);
    EXPECT_EQ(renderer.component(0x80000040 | eVertexNormal, 0), uint32_t(eVertexNormal));
    EXPECT_EQ(renderer.component(0x80000040 | eVertexNormal, 1), 0u);
}

} // namespace
} // namespace qelt
