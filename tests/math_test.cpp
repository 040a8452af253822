#include <gtest/gtest.h>

#include <cmath>

#include "camera/vecmath.h"

namespace {

void expectVec(const Vec3& v, float x, float y, float z, float tolerance = 1e-6f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

void expectIdentity(const Mat4& m) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(m.m[i], (i % 5 == 0) ? 1.0f : 0.0f) << "index " << i;
    }
}

TEST(CrossProduct, IsRightHandedAndGivesThePoseSideVector) {
    Pose pose;
    expectVec(cross(pose.up, pose.forward), -1, 0, 0);
    expectVec(cross(pose.forward, pose.up), 1, 0, 0);
    expectVec(cross({1, 0, 0}, {0, 1, 0}), 0, 0, 1);
}

TEST(AxisAngleMatrix, ZeroAxisOrZeroAngleIsIdentity) {
    expectIdentity(axisAngleMatrix(1.234f, 0, 0, 0));
    expectIdentity(axisAngleMatrix(0.0f, 0.3f, -2.0f, 5.0f));
}

TEST(AxisAngleMatrix, AxisLengthDoesNotMatter) {
    Mat4 a = axisAngleMatrix(0.7f, 0, 2, 0);
    Mat4 b = axisAngleMatrix(0.7f, 0, 1, 0);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(a.m[i], b.m[i]);
    }
}

TEST(AxisAngleMatrix, RotatesCounterClockwiseByTheRightHandRule) {
    expectVec(rotateVector(axisAngleMatrix(static_cast<float>(M_PI / 2), 0, 0, 1), {1, 0, 0}), 0, 1, 0);
    expectVec(rotateVector(axisAngleMatrix(0.1f, 0, 1, 0), {0, 0, -1}), -std::sin(0.1f), 0,
              -std::cos(0.1f));
}

TEST(AxisAngleMatrix, MatchesGlRotateLayout) {
    // About +X by 90 degrees: +Y goes to +Z, so column 1 is (0, 0, 1).
    Mat4 m = axisAngleMatrix(static_cast<float>(M_PI / 2), 1, 0, 0);
    EXPECT_NEAR(m.m[4], 0, 1e-6);
    EXPECT_NEAR(m.m[5], 0, 1e-6);
    EXPECT_NEAR(m.m[6], 1, 1e-6);
    EXPECT_NEAR(m.m[9], -1, 1e-6);
    EXPECT_FLOAT_EQ(m.m[15], 1);
    EXPECT_FLOAT_EQ(m.m[12], 0);
}

TEST(PoseMatrix, DefaultPoseColumns) {
    Mat4 m = poseMatrix(Pose{});
    const float expected[16] = {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(m.m[i], expected[i]) << "index " << i;
    }
}

TEST(PoseMatrix, CarriesPositionAndScalesByForwardLength) {
    Pose pose;
    pose.position = {1, 2, 3};
    pose.forward = {0, 0, 2};
    Mat4 m = poseMatrix(pose);
    EXPECT_FLOAT_EQ(m.m[12], 1);
    EXPECT_FLOAT_EQ(m.m[13], 2);
    EXPECT_FLOAT_EQ(m.m[14], 3);
    EXPECT_FLOAT_EQ(m.m[10], 2);
    EXPECT_FLOAT_EQ(m.m[0], 2);  // side = up x forward = (2, 0, 0)
}

TEST(OrthonormalizePose, BendsForwardAndKeepsUpAndPosition) {
    Pose pose;
    pose.position = {4, 5, 6};
    pose.forward = {1, 1, 0};
    pose.up = {0, 2, 0};
    orthonormalizePose(pose);
    expectVec(pose.forward, 1, 0, 0);
    expectVec(pose.up, 0, 1, 0);
    expectVec(pose.position, 4, 5, 6, 0);
}

TEST(OrthonormalizePose, ResultIsUnitAndPerpendicular) {
    Pose pose;
    pose.forward = {0.3f, -0.8f, 2.0f};
    pose.up = {0.1f, 3.0f, 0.4f};
    orthonormalizePose(pose);
    const Vec3& f = pose.forward;
    const Vec3& u = pose.up;
    EXPECT_NEAR(f.x * f.x + f.y * f.y + f.z * f.z, 1.0f, 1e-5);
    EXPECT_NEAR(u.x * u.x + u.y * u.y + u.z * u.z, 1.0f, 1e-5);
    EXPECT_NEAR(f.x * u.x + f.y * u.y + f.z * u.z, 0.0f, 1e-5);
}

} // namespace
