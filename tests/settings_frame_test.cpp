// A larger school than the default one, set up and drawn.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <tuple>
#include <vector>

#include "scene/bubbles.h"
#include "scene/fish.h"
#include "tests/scene_test_support.h"

namespace {

TEST(Settings, TwoHundredFishSwimInTheTankAfterTheDefaultTables) {
    setFishCount(200);
    setUpScene();
    std::vector<Fish> school(fishes.begin(), fishes.end());
    std::vector<Bubble> bubbleTable(std::begin(bubbles), std::end(bubbles));
    // The first 50 fish and the bubbles take the draws they take by default;
    // the later fish continue the sequence after the bubbles.
    std::srand(1);
    initFishes();
    initBubbles();
    initLaterFishes();
    EXPECT_EQ(std::memcmp(school.data(), &fishes[0], sizeof(Fish) * 200), 0);
    EXPECT_EQ(std::memcmp(bubbleTable.data(), bubbles, sizeof bubbles), 0);
    std::set<std::tuple<float, float, float, int>> kinds;
    for (const Fish& fish : fishesInUse()) {
        EXPECT_FLOAT_EQ(fish.pose.position.x, 7.8f);  // on an orbit inside the glass, as the first 50
        kinds.insert({fish.pose.position.y, fish.pose.position.z, fish.speed, fish.colourType});
    }
    EXPECT_GT(kinds.size(), 190u) << "the later fish repeat the first ones";

    // Every one of the 200 is stepped and drawn, in the frame's tank pass.
    renderFrame();
    headlessAdvanceSeconds(2.0);
    renderFrame();
    for (const Fish& fish : fishesInUse()) {
        EXPECT_NEAR(fish.orbitAngle, fish.speed * 20.0f, 1e-3f);
    }
}

} // namespace
