// The water's phase and strips, and the bubble steps, without a context.
#include <gtest/gtest.h>

#include <set>

#include "scene/bubbles.h"
#include "scene/scene_state.h"
#include "scene/water.h"

namespace {

TEST(WaterMesh, StripsPairRowsAndNeverEmitColumn63) {
    initWaterMesh();
    EXPECT_FLOAT_EQ(waterMesh[0].x, 32.0f);
    EXPECT_FLOAT_EQ(waterMesh[63].z, -31.0f);
    EXPECT_FLOAT_EQ(waterMesh[63 * 64].x, -31.0f);
    int strips = 0, vertices = 0, pairs = 0;
    std::set<float> xs, zs;
    std::vector<Vec3> first;
    walkWaterStrips([&] { ++strips; },
                      [&](const Vec3& v) {
                          ++vertices;
                          xs.insert(v.x);
                          zs.insert(v.z);
                          if (strips == 1) first.push_back(v);
                      },
                      [&] { ++pairs; }, [] {});
    EXPECT_EQ(strips, 63);
    EXPECT_EQ(vertices, 63 * 126);
    EXPECT_EQ(pairs, 3969);
    EXPECT_EQ(xs.size(), 64u);  // rows 0 to 63 all appear
    EXPECT_EQ(zs.size(), 63u);
    EXPECT_EQ(zs.count(-31.0f), 0u);
    // The first triangle: (0, 0), (1, 0), (0, 1) in (row, column).
    EXPECT_FLOAT_EQ(first[0].x, 32.0f);
    EXPECT_FLOAT_EQ(first[1].x, 31.0f);
    EXPECT_FLOAT_EQ(first[2].z, 31.0f);
}

TEST(WaterPhase, AdvancesPerVertexPairAndWrapsToExactlyZero) {
    waterPhase = 0.0f;
    for (int i = 0; i < 3969; ++i) advanceWaterPhase();
    EXPECT_NEAR(waterPhase, 0.03968947f, 2e-8f);
    waterPhase = 0.0f;
    int increments = 0;
    do {
        advanceWaterPhase();
        ++increments;
    } while (waterPhase != 0.0f && increments < 1000000);
    EXPECT_EQ(increments, 627504);
    EXPECT_EQ(waterPhase, 0.0f);
}

// The phase after PAIRS vertex pairs at SPEED from 5.9, which 40000 steps of
// speed 1 take past the wrap.
float phaseAfterPairs(double speed, int pairs) {
    setClockSpeed(speed);
    waterPhase = 5.9f;
    for (int i = 0; i < pairs; ++i) advanceWaterPhase();
    setClockSpeed(1.0);
    return waterPhase;
}

TEST(WaterPhase, AtSpeedXAPairAdvancesAsXPairsAtSpeedOne) {
    float once = phaseAfterPairs(1.0, 40000);
    EXPECT_LT(once, 1.0f) << "wrapped";
    EXPECT_EQ(phaseAfterPairs(2.0, 20000), once);
    EXPECT_EQ(phaseAfterPairs(4.0, 10000), once);
    EXPECT_EQ(phaseAfterPairs(0.5, 80000), once);
}

class BubbleSteps : public ::testing::Test {
protected:
    void SetUp() override {
        scene.tankRadius = 12.8f;
        bubbleCount = 0;
    }
    // Steps until bubble 0 is back at the origin; returns the step number.
    static int stepsUntilRespawn(Vec3 velocity) {
        bubbles[0] = {{0, 0, 0}, velocity};
        for (int step = 1; step < 1000; ++step) {
            stepBubbles();
            const Vec3& p = bubbles[0].position;
            if (p.x == 0.0f && p.y == 0.0f && p.z == 0.0f) return step;
        }
        return -1;
    }
};

TEST_F(BubbleSteps, RisingBubblesRespawnPastTheTop) {
    EXPECT_EQ(stepsUntilRespawn({0, 0.2f, 0}), 130);
    EXPECT_EQ(stepsUntilRespawn({0, 0.3f, 0}), 87);
    EXPECT_EQ(stepsUntilRespawn({0, 0.4f, 0}), 66);
}

TEST_F(BubbleSteps, DriftingBubblesRespawnAtTheSideSquare) {
    EXPECT_EQ(stepsUntilRespawn({-0.1f, 0.2f, 0}), 98);
    EXPECT_EQ(stepsUntilRespawn({0.09f, 0.2f, 0}), 109);
    EXPECT_EQ(stepsUntilRespawn({0, 0.2f, -0.09f}), 109);
    EXPECT_EQ(stepsUntilRespawn({0, 0.2f, 0.08f}), 123);
}

TEST_F(BubbleSteps, OneMoreActivePerStepUpToTwoHundred) {
    initBubbles();
    for (int step = 1; step <= 250; ++step) {
        stepBubbles();
        ASSERT_EQ(bubbleCount, std::min(step, kMaxBubbles));
        for (int i = 0; i < bubbleCount; ++i) {
            const Vec3& p = bubbles[i].position;
            ASSERT_LE(std::abs(p.x), 9.8f);
            ASSERT_LE(std::abs(p.z), 9.8f);
            ASSERT_LE(p.y, 26.0f);
        }
    }
}

TEST_F(BubbleSteps, VelocitiesComeFromTheirSmallSets) {
    std::set<float> xs, ys;
    for (int i = 0; i < 2000; ++i) {
        Bubble b{};
        respawnBubble(b);
        EXPECT_EQ(b.position.y, 0.0f);
        xs.insert(b.velocity.x);
        ys.insert(b.velocity.y);
        EXPECT_GE(b.velocity.x, -0.1f);
        EXPECT_LT(b.velocity.x, 0.095f);
    }
    EXPECT_EQ(xs.size(), 20u);
    EXPECT_EQ(ys.size(), 3u);
}

} // namespace
