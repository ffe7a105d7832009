// Tests of the shared math types: vector arithmetic, row-vector matrices, quaternion rotation and
// interpolation, and colour bytes.
#include "core/math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <ostream>
#include <string>

namespace qelt
{
namespace
{

constexpr float kPi = std::numbers::pi_v<float>;

void expectNear(cVector3f actual, cVector3f expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

void expectNear(cQuaternionf actual, cQuaternionf expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
    EXPECT_NEAR(actual.w, expected.w, 1e-5f);
}

template <int N> void expectNear(const cMatrixNf<N>& actual, const cMatrixNf<N>& expected)
{
    for (int i = 0; i < N * N; ++i)
        EXPECT_NEAR(actual.m[i], expected.m[i], 1e-5f) << "element " << i;
}

// ---- vectors -----------------------------------------------------------------------------------

TEST(Vectors, ComponentWiseArithmetic)
{
    cVector3f a{1, 2, 3};
    const cVector3f b{4, -5, 6};
    EXPECT_EQ(a + b, (cVector3f{5, -3, 9}));
    EXPECT_EQ(a - b, (cVector3f{-3, 7, -3}));
    EXPECT_EQ(-a, (cVector3f{-1, -2, -3}));
    EXPECT_EQ(a * 2, (cVector3f{2, 4, 6}));
    EXPECT_EQ(2 * a, (cVector3f{2, 4, 6}));
    a += b;
    EXPECT_EQ(a, (cVector3f{5, -3, 9}));
    a -= b;
    EXPECT_EQ(a, (cVector3f{1, 2, 3}));
    EXPECT_EQ((cVector2f{1, 2} + cVector2f{3, 4}), (cVector2f{4, 6}));
    EXPECT_EQ((cVector4f{1, 2, 3, 4} - cVector4f{1, 1, 1, 1}), (cVector4f{0, 1, 2, 3}));
}

TEST(Vectors, ProductsAndLengths)
{
    EXPECT_EQ(dot(cVector3f{1, 2, 3}, cVector3f{4, 5, 6}), 32);
    EXPECT_EQ(dot(cVector4f{1, 2, 3, 4}, cVector4f{1, 1, 1, 1}), 10);
    EXPECT_EQ(cross(cVector3f{1, 0, 0}, cVector3f{0, 1, 0}), (cVector3f{0, 0, 1}));
    EXPECT_EQ(cross(cVector3f{0, 1, 0}, cVector3f{1, 0, 0}), (cVector3f{0, 0, -1}));
    EXPECT_FLOAT_EQ(length(cVector2f{3, 4}), 5);
    expectNear(normalised(cVector3f{0, 3, 4}), {0, 0.6f, 0.8f});
    // A zero vector has no direction and stays zero.
    EXPECT_EQ(normalised(cVector3f{}), (cVector3f{}));
}

// ---- matrices ----------------------------------------------------------------------------------

TEST(Matrices, TranslationSitsInTheLastRow)
{
    const cMatrix4f t = translationMatrix({-22.0018f, 3.1254f, 0});
    EXPECT_EQ(t.m[12], -22.0018f);
    EXPECT_EQ(t.m[13], 3.1254f);
    EXPECT_EQ(t.m[14], 0);
    EXPECT_EQ(translationOf(t), (cVector3f{-22.0018f, 3.1254f, 0}));
    expectNear(transformPoint({1, 1, 1}, t), {-21.0018f, 4.1254f, 1});
    // Directions are not moved.
    expectNear(transformVector({1, 1, 1}, t), {1, 1, 1});
}

TEST(Matrices, ProductAppliesTheLeftFactorFirst)
{
    // World = local * parent's world: scale locally, then move with the parent.
    const cMatrix4f local = scalingMatrix({2, 2, 2});
    const cMatrix4f parent = translationMatrix({10, 0, 0});
    expectNear(transformPoint({1, 0, 0}, local * parent), {12, 0, 0});
    expectNear(transformPoint({1, 0, 0}, parent * local), {22, 0, 0});
}

TEST(Matrices, RowVectorTimesMatrix)
{
    cMatrix2f a;
    a.m[0] = 1, a.m[1] = 2, a.m[2] = 3, a.m[3] = 4;
    EXPECT_EQ((cVector2f{1, 1} * a), (cVector2f{4, 6}));
    cMatrix3f b = cMatrix3f::identity();
    b(2, 0) = 5;
    EXPECT_EQ((cVector3f{1, 1, 2} * b), (cVector3f{11, 1, 2}));
    EXPECT_EQ(transposed(b)(0, 2), 5);
}

TEST(Matrices, ElementWiseArithmetic)
{
    const cMatrix2f i = cMatrix2f::identity();
    cMatrix2f two = i + i;
    EXPECT_EQ(two.m[0], 2);
    EXPECT_EQ(two.m[1], 0);
    EXPECT_EQ(two - i, i);
}

TEST(Matrices, InverseUndoesATransform)
{
    const cMatrix4f m = toMatrix(rotationAbout({1, 2, 3}, 0.7f)) * scalingMatrix({2, 3, 4}) *
                        translationMatrix({5, -6, 7});
    cMatrix4f inv;
    ASSERT_TRUE(inverse(m, inv));
    expectNear(m * inv, cMatrix4f::identity());
    expectNear(transformPoint(transformPoint({1, 2, 3}, m), inv), {1, 2, 3});
}

TEST(Matrices, SingularMatrixHasNoInverse)
{
    cMatrix4f flat = scalingMatrix({1, 0, 1});
    cMatrix4f out = translationMatrix({1, 2, 3});
    EXPECT_FALSE(inverse(flat, out));
    EXPECT_EQ(out, translationMatrix({1, 2, 3}));
}

// ---- quaternions -------------------------------------------------------------------------------

TEST(Quaternions, RotationMatrixTurnsRowVectors)
{
    // A quarter turn about z takes x to y.
    const cMatrix4f r = toMatrix(rotationAbout({0, 0, 1}, kPi / 2));
    expectNear(transformPoint({1, 0, 0}, r), {0, 1, 0});
    expectNear(transformPoint({0, 1, 0}, r), {-1, 0, 0});
    expectNear(toMatrix(cQuaternionf{}), cMatrix4f::identity());
}

TEST(Quaternions, ProductAppliesTheRightFactorFirst)
{
    const cQuaternionf a = rotationAbout({0, 0, 1}, kPi / 2);
    const cQuaternionf b = rotationAbout({1, 0, 0}, kPi / 2);
    expectNear(toMatrix(a * b), toMatrix(b) * toMatrix(a));
    expectNear(a * conjugate(a), cQuaternionf{});
}

struct SlerpCase
{
    const char* name;
    cQuaternionf a, b;
    float e;
    cQuaternionf expected;
};

void PrintTo(const SlerpCase& row, std::ostream* out)
{
    *out << row.name;
}

class Slerp : public ::testing::TestWithParam<SlerpCase>
{
};

TEST_P(Slerp, Interpolates)
{
    expectNear(slerp(GetParam().a, GetParam().b, GetParam().e), GetParam().expected);
}

const float kHalf = std::sqrt(0.5f);

INSTANTIATE_TEST_SUITE_P(
    Cases, Slerp,
    ::testing::Values(
        SlerpCase{"start", {}, {0, 0, kHalf, kHalf}, 0, {}},
        SlerpCase{"end", {}, {0, 0, kHalf, kHalf}, 1, {0, 0, kHalf, kHalf}},
        // Halfway between no turn and a quarter turn is an eighth turn, on the sphere.
        SlerpCase{"halfway_on_the_arc",
                  {},
                  {0, 0, kHalf, kHalf},
                  0.5f,
                  {0, 0, std::sin(kPi / 8), std::cos(kPi / 8)}},
        // The opposite sign is the same rotation: the shorter way is taken.
        SlerpCase{"shorter_arc",
                  {},
                  {0, 0, -kHalf, -kHalf},
                  0.5f,
                  {0, 0, std::sin(kPi / 8), std::cos(kPi / 8)}},
        // Nearly equal rotations blend linearly and are not renormalised.
        SlerpCase{
            "linear_fallback", {0, 0, 0, 1}, {0, 0, 0.02f, 0.9998f}, 0.5f, {0, 0, 0.01f, 0.9999f}},
        SlerpCase{"identical", {1, 0, 0, 0}, {1, 0, 0, 0}, 0.3f, {1, 0, 0, 0}}),
    [](const ::testing::TestParamInfo<SlerpCase>& info) { return std::string(info.param.name); });

TEST(Quaternions, NormalisedHasUnitLength)
{
    expectNear(normalised(cQuaternionf{0, 0, 3, 4}), {0, 0, 0.6f, 0.8f});
    expectNear(normalised(cQuaternionf{0, 0, 0, 0}), {});
}

// ---- colours -----------------------------------------------------------------------------------

TEST(Colours, AlphaInTheTopByteThenRedGreenBlue)
{
    const cColouri c = cColouri::fromBytes(0xff, 0x20, 0x10, 0x80);
    EXPECT_EQ(c.argb, 0x80ff2010u);
    EXPECT_EQ(c.red(), 0xff);
    EXPECT_EQ(c.green(), 0x20);
    EXPECT_EQ(c.blue(), 0x10);
    EXPECT_EQ(c.alpha(), 0x80);
    EXPECT_EQ(cColouri{}.argb, 0u);
}

} // namespace
} // namespace qelt
