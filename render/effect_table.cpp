// The static effect table and the element sizes of the vertex components.
#include "render/effect_table.h"

namespace qelt
{

int vertexComponentSize(uint32_t flag)
{
    switch (flag)
    {
    case eVertexPosition:
    case eVertexNormal:
    case eVertexAttribA3:
    case eVertexAttribB3:
        return 12;
    case eVertexScalar0:
    case eVertexScalar1:
    case eVertexColour:
    case eVertexColour2:
    case eVertexAttribA1:
    case eVertexAttribB1:
        return 4;
    case eVertexTex0:
    case eVertexTex1:
    case eVertexTex2:
    case eVertexTex3:
    case eVertexAttribA2:
    case eVertexAttribB2:
        return 8;
    case eVertexAttribA4:
    case eVertexAttribB4:
    case eVertexShaderData:
        return 16;
    default:
        return 0;
    }
}

// clang-format off
const cEffectInfo kEffectTable[kEffectCount] = {
    {"SolidColor",                     2,  true,  1, 0x11},
    {"WireFrameFixedColor",            2,  false, 1, 0x1},
    {"WireFrameVertexColor",           2,  false, 1, 0x11},
    {"SolidColorTexture",              2,  true,  1, 0x10011},
    {"SolidColorEnv",                  2,  true,  1, 0x15},
    {"SolidFixedColor",                2,  true,  1, 0x1},
    {"SolidColorTextureAlphaMap",      8,  false, 1, 0x10011},
    {"SolidTextureAlphaMap",           8,  false, 1, 0x10001},
    {"SolidColorEnvAlpha",             8,  false, 1, 0x15},
    {"SolidColorAlpha",                8,  false, 1, 0x11},
    {"VertexShaderTest",               2,  true,  2, 0x1100005},
    {"LightTest",                      2,  true,  1, 0x5},
    {"FlashTexture",                   8,  true,  1, 0x1},
    {"FlashColor",                     8,  true,  1, 0x1},
    {"PointSpriteAlpha",               8,  true,  1, 0x10011},
    {"Billboard",                      8,  true,  1, 0x10001},
    {"BlendBillboard",                 8,  true,  1, 0x10001},
    {"UI",                             32, true,  1, 0x10001},
    {"SolidColorTextureEnv",           2,  true,  1, 0x10015},
    {"SolidTexture",                   2,  true,  1, 0x10001},
    {"SolidColorTwoTextures",          2,  true,  1, 0x30011},
    {"SolidColorTextureAlpha",         8,  false, 1, 0x10011},
    {"SolidTextureAlpha",              8,  false, 1, 0x10001},
    {"SolidEnvAlpha",                  8,  false, 1, 0x5},
    {"SolidColorTextureEnvAlpha",      8,  false, 1, 0x10015},
    {"SolidColorTextureEnvAlphaMap",   8,  false, 1, 0x10015},
    {"SolidColorTwoTexturesAlpha",     8,  false, 1, 0x30011},
    {"SolidColorTwoTexturesAlphaMap",  8,  false, 1, 0x30011},
    {"SolidColorTint",                 2,  true,  1, 0x11},
    {"MaxTransparencyEnv",             8,  false, 1, 0x70031},
    {"MaxTransparencyOpacityLevelEnv", 8,  false, 1, 0x70031},
    {"FlashStencilInc",                8,  true,  1, 0x1},
    {"FlashStencilDec",                8,  true,  1, 0x1},
    {"Outline",                        8,  false, 1, 0x15},
    {"Silhouette",                     8,  false, 2, 0x5},
    {"Scetch",                         2,  true,  2, 0x10000001},
    {"ScetchBackface",                 2,  true,  2, 0x10000005},
    {"Cartoon",                        2,  true,  2, 0x11},
    {"Pencil",                         2,  true,  2, 0x11},
    {"Wipe",                           8,  false, 1, 0x10001},
};
// clang-format on

const cEffectInfo* effectInfo(int effect)
{
    if (effect < 0 || effect >= kEffectCount)
        return nullptr;
    return &kEffectTable[effect];
}

} // namespace qelt
