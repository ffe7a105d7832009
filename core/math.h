// Vector and matrix types shared by every subsystem: row-major matrices that transform row vectors.
#pragma once

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

// N x N floats, row-major; a transform keeps its translation in the last row.
template <int N> struct cMatrixNf
{
    static constexpr int size = N;
    float m[N * N] = {};

    float& operator()(int row, int column) { return m[row * N + column]; }
    float operator()(int row, int column) const { return m[row * N + column]; }
};

using cMatrix2f = cMatrixNf<2>;
using cMatrix3f = cMatrixNf<3>;
using cMatrix4f = cMatrixNf<4>;

} // namespace qelt
