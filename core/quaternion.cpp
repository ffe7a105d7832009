// Quaternion operations: normalising, axis-angle, matrices and spherical interpolation.
#include "core/quaternion.h"

#include <cmath>

namespace qelt
{

cQuaternionf normalised(cQuaternionf a)
{
    const float l = std::sqrt(dot(a, a));
    if (!(l > 0))
        return {};
    return a * (1 / l);
}

cQuaternionf rotationAbout(cVector3f axis, float angle)
{
    const cVector3f n = normalised(axis);
    const float s = std::sin(angle / 2);
    return {n.x * s, n.y * s, n.z * s, std::cos(angle / 2)};
}

cMatrix4f toMatrix(cQuaternionf q)
{
    const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    const float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    const float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
    cMatrix4f r = cMatrix4f::identity();
    r.m[0] = 1 - 2 * (yy + zz);
    r.m[1] = 2 * (xy + wz);
    r.m[2] = 2 * (xz - wy);
    r.m[4] = 2 * (xy - wz);
    r.m[5] = 1 - 2 * (xx + zz);
    r.m[6] = 2 * (yz + wx);
    r.m[8] = 2 * (xz + wy);
    r.m[9] = 2 * (yz - wx);
    r.m[10] = 1 - 2 * (xx + yy);
    return r;
}

cQuaternionf slerp(cQuaternionf a, cQuaternionf b, float e)
{
    float cosine = dot(a, b);
    if (cosine < 0)
    {
        cosine = -cosine;
        b = -b;
    }
    float w0 = 1 - e;
    float w1 = e;
    if (1 - cosine > 0.001f)
    {
        const float angle = std::acos(cosine);
        const float sine = std::sin(angle);
        w0 = std::sin((1 - e) * angle) / sine;
        w1 = std::sin(e * angle) / sine;
    }
    return a * w0 + b * w1;
}

} // namespace qelt
