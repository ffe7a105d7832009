// Two-, three- and four-component float vectors with the arithmetic the engine uses.
#pragma once

#include <cmath>
#include <concepts>

namespace qelt
{

struct cVector2f
{
    float x = 0, y = 0;
};

struct cVector3f
{
    float x = 0, y = 0, z = 0;
};

struct cVector4f
{
    float x = 0, y = 0, z = 0, w = 0;
};

// The three vector types, so that the generic helpers below apply to nothing else.
template <typename V>
concept cVectorType =
    std::same_as<V, cVector2f> || std::same_as<V, cVector3f> || std::same_as<V, cVector4f>;

// ---- component-wise arithmetic -----------------------------------------------------------------

constexpr cVector2f operator+(cVector2f a, cVector2f b)
{
    return {a.x + b.x, a.y + b.y};
}
constexpr cVector3f operator+(cVector3f a, cVector3f b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
constexpr cVector4f operator+(cVector4f a, cVector4f b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}

constexpr cVector2f operator-(cVector2f a, cVector2f b)
{
    return {a.x - b.x, a.y - b.y};
}
constexpr cVector3f operator-(cVector3f a, cVector3f b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
constexpr cVector4f operator-(cVector4f a, cVector4f b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
}

constexpr cVector2f operator-(cVector2f a)
{
    return {-a.x, -a.y};
}
constexpr cVector3f operator-(cVector3f a)
{
    return {-a.x, -a.y, -a.z};
}
constexpr cVector4f operator-(cVector4f a)
{
    return {-a.x, -a.y, -a.z, -a.w};
}

constexpr cVector2f operator*(cVector2f a, float s)
{
    return {a.x * s, a.y * s};
}
constexpr cVector3f operator*(cVector3f a, float s)
{
    return {a.x * s, a.y * s, a.z * s};
}
constexpr cVector4f operator*(cVector4f a, float s)
{
    return {a.x * s, a.y * s, a.z * s, a.w * s};
}
template <cVectorType V> constexpr V operator*(float s, V a)
{
    return a * s;
}

template <cVectorType V> constexpr V& operator+=(V& a, V b)
{
    return a = a + b;
}
template <cVectorType V> constexpr V& operator-=(V& a, V b)
{
    return a = a - b;
}

constexpr bool operator==(cVector2f a, cVector2f b)
{
    return a.x == b.x && a.y == b.y;
}
constexpr bool operator==(cVector3f a, cVector3f b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
constexpr bool operator==(cVector4f a, cVector4f b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}

// ---- products and lengths ----------------------------------------------------------------------

constexpr float dot(cVector2f a, cVector2f b)
{
    return a.x * b.x + a.y * b.y;
}
constexpr float dot(cVector3f a, cVector3f b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
constexpr float dot(cVector4f a, cVector4f b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}

constexpr cVector3f cross(cVector3f a, cVector3f b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

template <cVectorType V> float length(V a)
{
    return std::sqrt(dot(a, a));
}

// The vector scaled to length 1; a zero vector stays zero rather than turning into NaNs.
template <cVectorType V> V normalised(V a)
{
    const float l = length(a);
    return l > 0 ? a * (1 / l) : a;
}

} // namespace qelt
