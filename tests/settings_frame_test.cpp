// A larger school than the default one, set up and drawn.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <tuple>
#include <vector>

#include "scene/bubbles.h"
#include "tests/scene_test_support.h"
#include "tools/camera_poses.h"

namespace {

TEST(Settings, TwoHundredFishSwimInTheTankAfterTheDefaultTables) {
    fishCount = 200;
    setUpScene();
    std::vector<Fish> school(fishes.begin(), fishes.end());
    std::vector<Bubble> bubbleTable(std::begin(bubbles), std::end(bubbles));
    ASSERT_EQ(school.size(), 200u);

    // The first 50 fish and the bubbles take the draws they take without the
    // option; the later fish continue the sequence after the bubbles.
    std::srand(1);
    initFishes();
    initBubbles();
    initLaterFishes();
    std::set<std::tuple<float, float, float, int>> kinds;
    for (int i = 0; i < 200; ++i) {
        const Fish& fish = school[static_cast<size_t>(i)];
        EXPECT_EQ(fish.pose.position.y, fishes[i].pose.position.y) << i;
        EXPECT_EQ(fish.pose.position.z, fishes[i].pose.position.z) << i;
        EXPECT_EQ(fish.speed, fishes[i].speed) << i;
        EXPECT_EQ(fish.colourType, fishes[i].colourType) << i;
        // On an orbit inside the glass.
        EXPECT_FLOAT_EQ(fish.pose.position.x, 7.8f);
        EXPECT_GE(fish.pose.position.z, -7.8f - 1e-5f);
        EXPECT_LE(fish.pose.position.z, -1.8f + 1e-5f);
        kinds.insert({fish.pose.position.y, fish.pose.position.z, fish.speed, fish.colourType});
    }
    EXPECT_GT(kinds.size(), 190u) << "the later fish repeat the first ones";
    for (int i = 0; i < kMaxBubbles; ++i) {
        EXPECT_EQ(bubbleTable[static_cast<size_t>(i)].velocity.x, bubbles[i].velocity.x) << i;
        EXPECT_EQ(bubbleTable[static_cast<size_t>(i)].velocity.y, bubbles[i].velocity.y) << i;
        EXPECT_EQ(bubbleTable[static_cast<size_t>(i)].velocity.z, bubbles[i].velocity.z) << i;
    }

    // The later fish show in their colours at their places in the first
    // frame, seen from the side, and every one of the 200 turns with time.
    ASSERT_TRUE(findCameraPose("side", &camera));
    renderFrame();
    int visible = 0;
    int matches = countFishInTheirColours(readColour(), kFirstSchool, fishCount, &visible);
    EXPECT_GT(visible, 100);
    EXPECT_GT(matches, visible * 6 / 10) << matches << " of " << visible;
    headlessAdvanceSeconds(2.0);
    renderFrame();
    for (const Fish& fish : fishes) {
        EXPECT_NEAR(fish.orbitAngle, fish.speed * 20.0f, 1e-3f);
    }
    EXPECT_EQ(drainGlErrors(), 0);
}

} // namespace
