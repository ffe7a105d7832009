// Square float matrices, row-major, that transform row vectors: v' = v * M, so a world transform
// is local * parent's world and a translation sits in the last row (elements 12 to 14).
#pragma once

#include "core/vector.h"

namespace qelt
{

// N x N floats, row-major; a transform keeps its translation in the last row.
template <int N> struct cMatrixNf
{
    static constexpr int size = N;
    float m[N * N] = {};

    float& operator()(int row, int column) { return m[row * N + column]; }
    float operator()(int row, int column) const { return m[row * N + column]; }

    static constexpr cMatrixNf identity()
    {
        cMatrixNf result;
        for (int i = 0; i < N; ++i)
            result.m[i * N + i] = 1;
        return result;
    }
};

using cMatrix2f = cMatrixNf<2>;
using cMatrix3f = cMatrixNf<3>;
using cMatrix4f = cMatrixNf<4>;

// ---- element-wise and matrix arithmetic --------------------------------------------------------

template <int N> constexpr cMatrixNf<N> operator+(const cMatrixNf<N>& a, const cMatrixNf<N>& b)
{
    cMatrixNf<N> r;
    for (int i = 0; i < N * N; ++i)
        r.m[i] = a.m[i] + b.m[i];
    return r;
}

template <int N> constexpr cMatrixNf<N> operator-(const cMatrixNf<N>& a, const cMatrixNf<N>& b)
{
    cMatrixNf<N> r;
    for (int i = 0; i < N * N; ++i)
        r.m[i] = a.m[i] - b.m[i];
    return r;
}

// The product a * b: applying it to a row vector applies a first, then b.
template <int N> constexpr cMatrixNf<N> operator*(const cMatrixNf<N>& a, const cMatrixNf<N>& b)
{
    cMatrixNf<N> r;
    for (int row = 0; row < N; ++row)
        for (int column = 0; column < N; ++column)
        {
            float sum = 0;
            for (int k = 0; k < N; ++k)
                sum += a.m[row * N + k] * b.m[k * N + column];
            r.m[row * N + column] = sum;
        }
    return r;
}

template <int N> constexpr bool operator==(const cMatrixNf<N>& a, const cMatrixNf<N>& b)
{
    for (int i = 0; i < N * N; ++i)
        if (a.m[i] != b.m[i])
            return false;
    return true;
}

template <int N> constexpr cMatrixNf<N> transposed(const cMatrixNf<N>& a)
{
    cMatrixNf<N> r;
    for (int row = 0; row < N; ++row)
        for (int column = 0; column < N; ++column)
            r.m[column * N + row] = a.m[row * N + column];
    return r;
}

// ---- row vectors times matrices ----------------------------------------------------------------

constexpr cVector2f operator*(cVector2f v, const cMatrix2f& a)
{
    return {v.x * a.m[0] + v.y * a.m[2], v.x * a.m[1] + v.y * a.m[3]};
}

constexpr cVector3f operator*(cVector3f v, const cMatrix3f& a)
{
    return {v.x * a.m[0] + v.y * a.m[3] + v.z * a.m[6], v.x * a.m[1] + v.y * a.m[4] + v.z * a.m[7],
            v.x * a.m[2] + v.y * a.m[5] + v.z * a.m[8]};
}

constexpr cVector4f operator*(cVector4f v, const cMatrix4f& a)
{
    cVector4f r;
    const float in[4] = {v.x, v.y, v.z, v.w};
    float out[4] = {};
    for (int column = 0; column < 4; ++column)
        for (int k = 0; k < 4; ++k)
            out[column] += in[k] * a.m[k * 4 + column];
    r.x = out[0];
    r.y = out[1];
    r.z = out[2];
    r.w = out[3];
    return r;
}

// A point (w = 1): rotated, scaled and translated.
constexpr cVector3f transformPoint(cVector3f p, const cMatrix4f& a)
{
    const cVector4f r = cVector4f{p.x, p.y, p.z, 1} * a;
    return {r.x, r.y, r.z};
}

// A direction (w = 0): rotated and scaled, never translated.
constexpr cVector3f transformVector(cVector3f v, const cMatrix4f& a)
{
    const cVector4f r = cVector4f{v.x, v.y, v.z, 0} * a;
    return {r.x, r.y, r.z};
}

// ---- transforms --------------------------------------------------------------------------------

constexpr cMatrix4f translationMatrix(cVector3f t)
{
    cMatrix4f r = cMatrix4f::identity();
    r.m[12] = t.x;
    r.m[13] = t.y;
    r.m[14] = t.z;
    return r;
}

constexpr cMatrix4f scalingMatrix(cVector3f s)
{
    cMatrix4f r = cMatrix4f::identity();
    r.m[0] = s.x;
    r.m[5] = s.y;
    r.m[10] = s.z;
    return r;
}

constexpr cVector3f translationOf(const cMatrix4f& a)
{
    return {a.m[12], a.m[13], a.m[14]};
}

constexpr void setTranslation(cMatrix4f& a, cVector3f t)
{
    a.m[12] = t.x;
    a.m[13] = t.y;
    a.m[14] = t.z;
}

// The inverse of a; false and out untouched when a is singular.
bool inverse(const cMatrix4f& a, cMatrix4f& out);

} // namespace qelt
