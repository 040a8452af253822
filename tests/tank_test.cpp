// The water-column stencil pass and the tank pass, read back.
#include <gtest/gtest.h>

#include <cmath>

#include <algorithm>
#include <cstdlib>

#include "assets/shader.h"
#include "scene/fish.h"
#include "scene/palette.h"
#include "scene/scene_state.h"
#include "scene/tank.h"
#include "tests/scene_test_support.h"

namespace {

std::vector<float> readDepth() {
    std::vector<float> depth(static_cast<size_t>(kFrameWidth) * kFrameHeight);
    glReadPixels(0, 0, kFrameWidth, kFrameHeight, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    return depth;
}

TEST(WaterStencil, CountsTheColumnWithoutTouchingColourOrDepth) {
    setUpScene();
    renderFrame();  // something in the colour and depth buffers
    auto colourBefore = readColour();
    auto depthBefore = readDepth();
    glPushMatrix();
    applyCameraView();
    glTranslatef(0.0f, 2.5f, 0.0f);
    drawWaterStencil();
    glPopMatrix();
    EXPECT_EQ(readColour(), colourBefore);
    EXPECT_EQ(readDepth(), depthBefore);

    renderStencilPassOnly();
    auto stencil = readStencil();
    int counts[256] = {};
    for (uint8_t v : stencil) {
        ++counts[v];
    }
    for (int v = 3; v < 256; ++v) {
        EXPECT_EQ(counts[v], 0) << "stencil value " << v;
    }
    EXPECT_GT(counts[1] + counts[2], 20000);
    EXPECT_GT(counts[0], 20000);

    // Inside the glass, halfway up, the column is marked; beside it nothing is.
    float cx = scene.sceneOffset.x + scene.tankCentre.x, cz = scene.sceneOffset.z + scene.tankCentre.z;
    float cy = scene.sceneOffset.y + scene.tankCentre.y;
    int x, y;
    ASSERT_TRUE(projectTankPoint(cx, cy + 10.0f, cz, &x, &y));
    EXPECT_GE(stencil[static_cast<size_t>(y) * kFrameWidth + x], 1);
    // The glass spans about -17 to +22 degrees across the view from the start,
    // so the frame's left edge (-19.6 degrees) looks past it.
    for (int row = 100; row < 500; row += 50) {
        EXPECT_EQ(stencil[static_cast<size_t>(row) * kFrameWidth + 2], 0) << "row " << row;
    }

    // The state left for the water: equal 1 under mask 1, decrement.
    GLint value;
    EXPECT_TRUE(glIsEnabled(GL_STENCIL_TEST));
    glGetIntegerv(GL_STENCIL_FUNC, &value);
    EXPECT_EQ(value, GL_EQUAL);
    glGetIntegerv(GL_STENCIL_REF, &value);
    EXPECT_EQ(value, 1);
    glGetIntegerv(GL_STENCIL_PASS_DEPTH_PASS, &value);
    EXPECT_EQ(value, GL_DECR);
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_FRONT);
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(TankPass, StateOnExit) {
    setUpScene();
    renderFrame();
    // The frame's last steps after the tank pass only switch the stencil off
    // and pop, so everything else is as the tank pass left it.
    GLint value;
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
    EXPECT_EQ(value, GL_TEXTURE1);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glActiveTexture(GL_TEXTURE0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<GLuint>(value), scene.sandTexture);
    glActiveTexture(GL_TEXTURE1);
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_BACK);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    float material[4];
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, material);
    EXPECT_FLOAT_EQ(material[2], 1.0f);
    EXPECT_FLOAT_EQ(material[3], 0.25f);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, material);
    EXPECT_FLOAT_EQ(material[0], 1.0f);
    EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
    EXPECT_FLOAT_EQ(scene.fishTarget.x, scene.tankCentre.x);
    EXPECT_FLOAT_EQ(scene.fishTarget.y, scene.tankCentre.y - 0.01f);
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(TankPass, GlassRimAndFishInTheFrame) {
    setUpScene();
    renderFrame();
    auto frame = readColour();
    float bx = scene.sceneOffset.x + scene.tankCentre.x, bz = scene.sceneOffset.z + scene.tankCentre.z;
    float by = scene.sceneOffset.y + scene.tankCentre.y;  // the tank's base, y = -1.13

    // The plinth's front, just below the rim: black, with the blue glass over
    // it only above the rim.
    int x, y;
    ASSERT_TRUE(projectTankPoint(bx, by - 2.0f, bz + 13.4f, &x, &y));
    Rgba plinth = pixelAt(frame, x, y);
    EXPECT_LT(plinth.r + plinth.g, 60) << plinth.r << "," << plinth.g << "," << plinth.b;

    // Glass over the grid room's far wall: a strong blue cast where the wall
    // shows through both sides of the glass.
    int blueCast = 0, samples = 0;
    for (float h = 3.0f; h <= 10.0f; h += 1.0f) {
        for (float dx = -6.0f; dx <= 6.0f; dx += 1.0f) {
            if (!projectTankPoint(bx + dx, by + h, bz + 12.8f, &x, &y)) continue;
            Rgba p = pixelAt(frame, x, y);
            ++samples;
            blueCast += p.b > p.r + 20;
        }
    }
    ASSERT_GT(samples, 50);
    EXPECT_GT(blueCast, samples * 6 / 10);

    // The fish of the first frame sit at their set-up places (orbit angle 0),
    // in their body colours, seen through the near glass.
    const Hue expected[7] = {Hue::Red, Hue::Orange, Hue::Yellow, Hue::Green,
                             Hue::Blue, Hue::Cyan, Hue::Magenta};
    int matches = 0, visible = 0;
    for (const Fish& fish : fishesInUse()) {
        EXPECT_NEAR(fish.orbitAngle, 0.0f, 0.01f);
        const Vec3& p = fish.pose.position;
        if (!projectTankPoint(bx + p.x, by + p.y, bz + p.z, &x, &y)) continue;
        ++visible;
        // The highlights of both lights sit at the centre of each body, so look
        // at the body around it; another fish may cover it.
        bool found = false;
        for (int dy = -5; dy <= 5 && !found; ++dy) {
            for (int dx = -5; dx <= 5 && !found; ++dx) {
                Hue hue = hueOf(pixelAt(frame, std::clamp(x + dx, 0, kFrameWidth - 1),
                                        std::clamp(y + dy, 0, kFrameHeight - 1)));
                found = hue == expected[fish.colourType] ||
                        (fish.colourType <= 2 && (hue == Hue::Orange || hue == Hue::Yellow));
            }
        }
        matches += found;
    }
    EXPECT_GT(visible, 20);
    EXPECT_GT(matches, visible * 6 / 10) << matches << " of " << visible;
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(Fish, TheTableHoldsEveryRecordAndTheSchoolInUseIsItsFirst) {
    // Set-up fills the first school whatever the count, so the table keeps it.
    setFishCount(3);
    EXPECT_EQ(fishes.size(), static_cast<size_t>(kFirstSchool));
    EXPECT_EQ(fishesInUse().begin(), &fishes[0]);
    EXPECT_EQ(fishesInUse().end() - fishesInUse().begin(), 3);
    setFishCount(kMaxFish);
    EXPECT_EQ(fishes.size(), static_cast<size_t>(kMaxFish));
    EXPECT_EQ(fishesInUse().end() - fishesInUse().begin(), kMaxFish);
    setFishCount(kFirstSchool);
}

TEST(Fish, TableIsFilledInRangeAndRepeatable) {
    setUpScene();
    int colours[7] = {};
    for (const Fish& fish : fishesInUse()) {
        EXPECT_FLOAT_EQ(fish.pose.position.x, 7.8f);
        float y = fish.pose.position.y;
        EXPECT_GE(y, 1.5f);
        EXPECT_LE(y, 25.5f);
        EXPECT_FLOAT_EQ(y - static_cast<int>(y), 0.5f);
        float z = fish.pose.position.z;
        EXPECT_GE(z, -7.8f - 1e-5f);
        EXPECT_LE(z, -1.8f + 1e-5f);
        EXPECT_GE(fish.speed, 1.0f);
        EXPECT_LE(fish.speed, 10.0f);
        EXPECT_EQ(fish.speed, static_cast<int>(fish.speed));
        ASSERT_GE(fish.colourType, 0);
        ASSERT_LE(fish.colourType, 6);
        ++colours[fish.colourType];
        EXPECT_EQ(fish.orbitAngle, 0.0f);
    }
    int kinds = 0;
    for (int c : colours) kinds += c > 0;
    EXPECT_GE(kinds, 5);

    // The generator is never seeded, so a run's table is the one the default
    // seed gives: replaying it reproduces the table exactly.
    std::vector<Fish> saved = fishes;
    std::srand(1);
    initFishes();
    for (int i = 0; i < fishCount; ++i) {
        EXPECT_EQ(fishes[i].pose.position.y, saved[i].pose.position.y) << i;
        EXPECT_EQ(fishes[i].pose.position.z, saved[i].pose.position.z) << i;
        EXPECT_EQ(fishes[i].speed, saved[i].speed) << i;
        EXPECT_EQ(fishes[i].colourType, saved[i].colourType) << i;
    }
}

TEST(Fish, OrbitAdvancesTenDegreesPerSecondPerSpeed) {
    setUpScene();
    renderFrame();  // starts the tank clock: dt about 0
    for (const Fish& fish : fishesInUse()) {
        EXPECT_NEAR(fish.orbitAngle, 0.0f, 1e-3f);
    }
    headlessAdvanceSeconds(2.0);
    renderFrame();
    for (const Fish& fish : fishesInUse()) {
        EXPECT_NEAR(fish.orbitAngle, fish.speed * 20.0f, 1e-3f);
        // Every fish gets the same heading in its orbiting frame.
        EXPECT_NEAR(fish.pose.forward.x, -0.7071f, 1e-3f);
        EXPECT_NEAR(fish.pose.forward.z, 0.7071f, 1e-3f);
        EXPECT_FLOAT_EQ(fish.pose.up.y, 1.0f);
    }
    headlessAdvanceSeconds(36.0);  // a long frame: one whole step, kept within a turn
    renderFrame();
    for (const Fish& fish : fishesInUse()) {
        EXPECT_NEAR(fish.orbitAngle, std::fmod(fish.speed * 380.0f, 360.0f), 1e-2f);
    }
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(Fish, WithoutTexturesTheSchoolStaysAtTheCentre) {
    enterScratchDataDir(dataFilesWithout({"Sand.bmp"}));
    headlessClearMessages();
    setUpScene();
    ASSERT_EQ(headlessGetMessages().size(), 1u);
    EXPECT_EQ(headlessGetMessages()[0].text, "Hey dodo, you can't copy files");
    EXPECT_EQ(headlessGetMessages()[0].caption, "Error");
    headlessAdvanceSeconds(1.0);
    renderFrame();
    headlessAdvanceSeconds(1.0);
    renderFrame();
    for (const Fish& fish : fishesInUse()) {
        EXPECT_EQ(fish.speed, 0.0f);
        EXPECT_EQ(fish.orbitAngle, 0.0f);
        EXPECT_EQ(fish.pose.position.x, 0.0f);
        EXPECT_EQ(fish.colourType, 0);
    }
    // One red fish with a cyan tail at the centre of the tank's base.
    auto frame = readColour();
    int x, y;
    ASSERT_TRUE(projectTankPoint(scene.sceneOffset.x + scene.tankCentre.x, scene.sceneOffset.y + scene.tankCentre.y,
                                 scene.sceneOffset.z + scene.tankCentre.z, &x, &y));
    int red = 0;
    for (int dy = -8; dy <= 8; ++dy) {
        for (int dx = -8; dx <= 8; ++dx) {
            red += hueOf(pixelAt(frame, x + dx, y + dy)) == Hue::Red;
        }
    }
    EXPECT_GT(red, 10);
    EXPECT_EQ(drainGlErrors(), 0);
}

} // namespace
