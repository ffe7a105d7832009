// The static effect table shared by the engine and every renderer, and the vertex component flags
// with their element sizes.
#pragma once

#include <cstdint>

namespace qelt
{

// ---- vertex components ------------------------------------------------------------------------
// A vertex format is a set of these flags; each component lives in a stream of its own.
enum eVertexComponent : uint32_t
{
    eVertexPosition = 0x00000001,
    eVertexScalar0 = 0x00000002,
    eVertexNormal = 0x00000004,
    eVertexScalar1 = 0x00000008,
    eVertexColour = 0x00000010,
    eVertexColour2 = 0x00000020,
    eVertexTex0 = 0x00010000,
    eVertexTex1 = 0x00020000,
    eVertexTex2 = 0x00040000,
    eVertexTex3 = 0x00080000,
    eVertexAttribA1 = 0x00100000,
    eVertexAttribA2 = 0x00200000,
    eVertexAttribA3 = 0x00400000,
    eVertexAttribA4 = 0x00800000,
    eVertexAttribB1 = 0x01000000,
    eVertexAttribB2 = 0x02000000,
    eVertexAttribB3 = 0x04000000,
    eVertexAttribB4 = 0x08000000,
    eVertexShaderData = 0x10000000,
};

// Every component flag; other bits of a format are ignored.
constexpr uint32_t kVertexComponentMask = 0x1fff003f;

// The element size in bytes of one component flag; 0 for a bit that names no component.
int vertexComponentSize(uint32_t flag);

// ---- effects ----------------------------------------------------------------------------------
// Effect classes: the render pass that draws geometry with the effect.
constexpr int kEffectClassOpaque = 2;
constexpr int kEffectClassBlended = 8;
constexpr int kEffectClassScreen = 32;

// Shader kinds.
constexpr int kShaderFixed = 1;
constexpr int kShaderVertexProgram = 2;

struct cEffectInfo
{
    const char* name;
    int effectClass;
    bool opaque;
    int shaderKind;
    uint32_t vertexFormat;
};

constexpr int kEffectCount = 40;

// Row i describes effect id i; the same in every module.
extern const cEffectInfo kEffectTable[kEffectCount];

// The row of an effect id, or null for an id outside the table.
const cEffectInfo* effectInfo(int effect);

} // namespace qelt
