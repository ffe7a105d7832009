// Rotation quaternions (x, y, z, w with w the scalar part) and their spherical interpolation.
#pragma once

#include "core/matrix.h"
#include "core/vector.h"

namespace qelt
{

struct cQuaternionf
{
    float x = 0, y = 0, z = 0, w = 1;
};

// ---- member-wise arithmetic --------------------------------------------------------------------

constexpr cQuaternionf operator+(cQuaternionf a, cQuaternionf b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}
constexpr cQuaternionf operator-(cQuaternionf a, cQuaternionf b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
}
constexpr cQuaternionf operator-(cQuaternionf a)
{
    return {-a.x, -a.y, -a.z, -a.w};
}
constexpr cQuaternionf operator*(cQuaternionf a, float s)
{
    return {a.x * s, a.y * s, a.z * s, a.w * s};
}
constexpr cQuaternionf operator*(float s, cQuaternionf a)
{
    return a * s;
}
constexpr bool operator==(cQuaternionf a, cQuaternionf b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}
constexpr float dot(cQuaternionf a, cQuaternionf b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}

// The Hamilton product a b. As row-vector matrices, toMatrix(a * b) == toMatrix(b) * toMatrix(a):
// the rotation b is applied first.
constexpr cQuaternionf operator*(cQuaternionf a, cQuaternionf b)
{
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
            a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

constexpr cQuaternionf conjugate(cQuaternionf a)
{
    return {-a.x, -a.y, -a.z, a.w};
}

// Scaled to length 1; a zero quaternion becomes the identity.
cQuaternionf normalised(cQuaternionf a);

// The rotation by angle radians about axis (normalised here), counter-clockwise looking down the
// axis towards the origin.
cQuaternionf rotationAbout(cVector3f axis, float angle);

// The rotation as a matrix for row vectors, no translation. a should have length 1.
cMatrix4f toMatrix(cQuaternionf a);

// Spherical interpolation from a (e = 0) to b (e = 1) along the shorter arc; nearly equal
// rotations fall back to the linear blend, where the sine weights lose precision. The result is
// not renormalised.
cQuaternionf slerp(cQuaternionf a, cQuaternionf b, float e);

} // namespace qelt
