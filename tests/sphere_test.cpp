// The sphere generator, captured without a context.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scene/sphere.h"

namespace {

struct Capture {
    std::vector<std::vector<SphereVertex>> strips;
};

Capture capture(float radius, int slices, int stacks) {
    Capture c;
    generateSphere(
        radius, slices, stacks, [&] { c.strips.emplace_back(); },
        [&](const SphereVertex& v) { c.strips.back().push_back(v); }, [] {});
    return c;
}

TEST(Sphere, FishBodyHasThreeStripsOfFourteen) {
    Capture body = capture(1.0f, 6, 3);
    ASSERT_EQ(body.strips.size(), 3u);
    for (const auto& strip : body.strips) {
        EXPECT_EQ(strip.size(), 14u);
    }
    // In the first strip every upper vertex is the +Z pole.
    for (size_t i = 0; i < body.strips[0].size(); i += 2) {
        const Vec3& p = body.strips[0][i].position;
        EXPECT_NEAR(p.x, 0.0f, 1e-6);
        EXPECT_NEAR(p.y, 0.0f, 1e-6);
        EXPECT_FLOAT_EQ(p.z, 1.0f);
    }
    // The last strip ends at the -Z pole.
    EXPECT_NEAR(body.strips[2].back().position.z, -1.0f, 1e-6);
}

TEST(Sphere, EyeHasFifteenStripsOfThirtyOneColumns) {
    Capture eye = capture(0.5f, 30, 15);
    ASSERT_EQ(eye.strips.size(), 15u);
    size_t vertices = 0;
    for (const auto& strip : eye.strips) {
        EXPECT_EQ(strip.size(), 62u);
        vertices += strip.size();
    }
    EXPECT_EQ(vertices, 930u);
}

TEST(Sphere, LastColumnRepeatsTheFirstExactly) {
    Capture c = capture(2.0f, 7, 4);
    for (const auto& strip : c.strips) {
        size_t n = strip.size();
        for (int k = 0; k < 2; ++k) {
            const SphereVertex& first = strip[k];
            const SphereVertex& last = strip[n - 2 + k];
            EXPECT_EQ(first.position.x, last.position.x);
            EXPECT_EQ(first.position.y, last.position.y);
            EXPECT_EQ(first.position.z, last.position.z);
            EXPECT_EQ(first.normal.x, last.normal.x);
            EXPECT_EQ(first.normal.y, last.normal.y);
        }
        EXPECT_NEAR(strip[n - 1].u, 1.0f, 1e-5);
    }
}

TEST(Sphere, UnitNormalsScaledPositionsAndOutwardWinding) {
    Capture c = capture(3.0f, 6, 3);
    for (const auto& strip : c.strips) {
        for (const auto& v : strip) {
            const Vec3& n = v.normal;
            EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f, 1e-5);
            EXPECT_NEAR(v.position.x, 3.0f * n.x, 1e-5);
        }
    }
    // Theta = 0 lies at +Y and grows towards -X.
    const Vec3& second = c.strips[1][2].position;  // column 1, upper row of stack 1
    EXPECT_LT(second.x, 0.0f);
    // The triangle (v0, v1, v2) of the middle strip faces outwards.
    const auto& s = c.strips[1];
    Vec3 a = s[0].position, b = s[1].position, d = s[2].position;
    Vec3 e1 = {b.x - a.x, b.y - a.y, b.z - a.z};
    Vec3 e2 = {d.x - a.x, d.y - a.y, d.z - a.z};
    Vec3 facing = cross(e1, e2);
    Vec3 centre = {(a.x + b.x + d.x) / 3, (a.y + b.y + d.y) / 3, (a.z + b.z + d.z) / 3};
    EXPECT_GT(facing.x * centre.x + facing.y * centre.y + facing.z * centre.z, 0.0f);
}

TEST(Sphere, NoStacksDrawsNothing) {
    EXPECT_TRUE(capture(1.0f, 6, 0).strips.empty());
    EXPECT_TRUE(capture(1.0f, 6, -2).strips.empty());
}

} // namespace
