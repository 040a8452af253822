// The complete frame: water, caustics and bubbles, read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>

#include "assets/shader.h"
#include "scene/bubbles.h"
#include "scene/caustics.h"
#include "scene/scene_state.h"
#include "scene/tank.h"
#include "scene/water.h"
#include "tests/scene_test_support.h"
#include "tools/camera_poses.h"

namespace {

// An 8-bit greyscale TGA of one value.
std::vector<uint8_t> solidTga(int size, uint8_t value) {
    std::vector<uint8_t> f(18 + static_cast<size_t>(size) * size, value);
    std::fill(f.begin(), f.begin() + 18, 0);
    f[2] = 3;
    f[12] = static_cast<uint8_t>(size);
    f[14] = static_cast<uint8_t>(size);
    f[16] = 8;
    return f;
}

void usePose(const char* name) {
    Pose pose;
    ASSERT_TRUE(findCameraPose(name, &pose));
    camera = pose;
}

int textureWidth(GLuint texture) {
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    return width;
}

TEST(Caustics, FileNamesHaveTwoDigits) {
    char name[128];
    formatCausticFileName(0, name, sizeof name);
    EXPECT_STREQ(name, "caust00.tga");
    formatCausticFileName(9, name, sizeof name);
    EXPECT_STREQ(name, "caust09.tga");
    formatCausticFileName(10, name, sizeof name);
    EXPECT_STREQ(name, "caust10.tga");
    formatCausticFileName(31, name, sizeof name);
    EXPECT_STREQ(name, "caust31.tga");
}

TEST(Caustics, MissingFrameStopsLoadingWithOneMessage) {
    enterScratchDataDir(dataFilesWithout({"caust17.tga"}));
    headlessClearMessages();
    setUpScene();
    ASSERT_EQ(headlessGetMessages().size(), 1u);
    EXPECT_EQ(headlessGetMessages()[0].text, "Hey dodo, you can't copy files");
    glActiveTexture(GL_TEXTURE0);
    for (int i = 0; i < kCausticFrameCount; ++i) {
        EXPECT_NE(causticSet.causticTextures[i], 0u);
        if (i < 17) {
            EXPECT_GT(textureWidth(causticSet.causticTextures[i]), 0) << "frame " << i;
        } else {
            EXPECT_EQ(textureWidth(causticSet.causticTextures[i]), 0) << "frame " << i;
        }
    }
    glActiveTexture(GL_TEXTURE1);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    glActiveTexture(GL_TEXTURE0);
    // The loop still runs through all 32 names.
    std::set<int> seen;
    renderFrame();
    for (int i = 0; i < 40; ++i) {
        headlessAdvanceSeconds(0.05);
        renderFrame();
        seen.insert(causticSet.causticFrame);
    }
    EXPECT_EQ(seen.size(), 32u);
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(Caustics, GateStepsByExactlyOneAndWraps) {
    setUpScene();
    renderFrame();  // the first frame starts the clock; no step
    EXPECT_EQ(causticSet.causticFrame, 0);
    headlessSetCounter(causticSet.causticStepGate.lastStepCount + kHeadlessCounterFrequency * 3 / 100);
    renderFrame();
    EXPECT_EQ(causticSet.causticFrame, 0) << "exactly 0.03 s does not step";
    headlessAdvanceSeconds(0.0001);
    renderFrame();
    EXPECT_EQ(causticSet.causticFrame, 1);
    headlessAdvanceSeconds(10.0);
    renderFrame();
    EXPECT_EQ(causticSet.causticFrame, 2) << "a long frame still steps once";
    for (int i = 0; i < 30; ++i) {
        headlessAdvanceSeconds(0.031);
        renderFrame();
    }
    EXPECT_EQ(causticSet.causticFrame, 0) << "31 wraps to 0";
    GLint bound = 0;
    glActiveTexture(GL_TEXTURE1);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(static_cast<GLuint>(bound), causticSet.causticTextures[0]);
}

// Unit 1 is on over the room, the water and the sand and off over the rest
// of the tank pass: with black caustic frames exactly those turn black.
TEST(Caustics, PatternLiesOnTheRoomAndTheSandOnly) {
    std::vector<std::string> files = dataFilesWithout({});
    enterScratchDataDir(files);
    for (int i = 0; i < kCausticFrameCount; ++i) {
        char name[128];
        formatCausticFileName(i, name, sizeof name);
        writeBytes(name, solidTga(16, 0));
    }
    setUpScene();
    renderFrame();
    renderFrame();
    auto frame = readColour();
    // The floor of the room in front of the tank: black lines on black.
    long floor = 0;
    for (size_t i = 0; i < static_cast<size_t>(kFrameWidth) * 60 * 4; i += 4) {
        floor += frame[i] + frame[i + 1] + frame[i + 2];
    }
    EXPECT_EQ(floor, 0);
    // The fish keep their colours.
    int coloured = 0;
    for (int y = 100; y < 500; ++y) {
        for (int x = 0; x < kFrameWidth; ++x) {
            Hue hue = hueOf(pixelAt(frame, x, y));
            coloured += hue == Hue::Red || hue == Hue::Yellow || hue == Hue::Green ||
                        hue == Hue::Magenta || hue == Hue::Cyan;
        }
    }
    EXPECT_GT(coloured, 2000);
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(Water, UniformsFollowThePhaseAndTheClock) {
    setUpScene();
    ASSERT_NE(scene.waterProgram, 0u);
    float wave[3], time = -1.0f;
    renderFrame();
    glGetUniformfvARB(scene.waterProgram, scene.waveLocation, wave);
    glGetUniformfvARB(scene.waterProgram, scene.timeLocation, &time);
    EXPECT_EQ(wave[0], 0.0f);
    EXPECT_EQ(wave[1], 1.0f);
    EXPECT_EQ(wave[2], 1.0f);
    EXPECT_EQ(time, 0.0f);
    headlessAdvanceSeconds(0.5);
    renderFrame();
    glGetUniformfvARB(scene.waterProgram, scene.waveLocation, wave);
    glGetUniformfvARB(scene.waterProgram, scene.timeLocation, &time);
    EXPECT_NEAR(wave[0], 0.03968947f, 2e-8f);
    EXPECT_NEAR(time, 0.5f, 1e-6f);
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(Water, DrawnOnlyInsideTheStencilledColumn) {
    setUpScene();
    usePose("top");
    renderFrame();
    renderFrame();
    auto withWater = readColour();
    // The same frame (no time passes) with the surface collapsed to a point.
    Vec3 saved[kWaterGridSize * kWaterGridSize];
    std::copy(std::begin(waterMesh), std::end(waterMesh), saved);
    std::fill(std::begin(waterMesh), std::end(waterMesh), Vec3{0, 0, 0});
    renderFrame();
    auto withoutWater = readColour();
    std::copy(std::begin(saved), std::end(saved), waterMesh);

    // The column as the stencil pass marks it, from the same pose.
    renderStencilPassOnly();
    glDisable(GL_STENCIL_TEST);
    auto stencil = readStencil();

    int changedInside = 0, changedOutside = 0;
    for (size_t p = 0; p < stencil.size(); ++p) {
        bool changed = false;
        for (int c = 0; c < 3; ++c) {
            changed |= withWater[p * 4 + c] != withoutWater[p * 4 + c];
        }
        if (changed) {
            (stencil[p] != 0 ? changedInside : changedOutside) += 1;
        }
    }
    EXPECT_GT(changedInside, 20000) << "the water shows inside the tank's outline";
    EXPECT_EQ(changedOutside, 0) << "and nowhere else";
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(Bubbles, StepsFollowTheGate) {
    setUpScene();
    renderFrame();
    EXPECT_EQ(bubbleCount, 0) << "nothing on the first call";
    for (int frame = 1; frame <= 5; ++frame) {
        headlessAdvanceSeconds(0.1);  // slower than 0.03 s: one step per frame
        renderFrame();
        EXPECT_EQ(bubbleCount, frame);
    }
    for (int frame = 0; frame < 100; ++frame) {
        headlessAdvanceSeconds(0.001);  // fast frames: a step only every 0.03 s
        renderFrame();
    }
    EXPECT_GE(bubbleCount, 5 + 2);
    EXPECT_LE(bubbleCount, 5 + 4);
    for (int frame = 0; frame < 300; ++frame) {
        headlessAdvanceSeconds(0.05);
        renderFrame();
    }
    EXPECT_EQ(bubbleCount, 200);
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(Bubbles, DrawnAsFivePixelSpritesOfTheirTexture) {
    enterScratchDataDir(dataFilesWithout({"Bubble.bmp"}));
    writeBytes("Bubble.bmp", solidBmp(8, 8, 0, 255, 0));  // green, to find the sprites by
    setUpScene();
    // Inside the tank, 7 units from its axis, looking at the rising column
    // above the sand (the bubbles start inside it).
    Vec3 base = {scene.sceneOffset.x + scene.tankCentre.x, scene.sceneOffset.y + scene.tankCentre.y + 2.5f,
                 scene.sceneOffset.z + scene.tankCentre.z};
    camera = Pose{};
    camera.position = {base.x, base.y + 8.0f, base.z + 7.0f};
    renderFrame();
    for (int i = 0; i < 40; ++i) {
        headlessAdvanceSeconds(0.05);
        renderFrame();
    }
    ASSERT_EQ(bubbleCount, 40);
    auto frame = readColour();
    auto green = [&](int x, int y) {
        Rgba p = pixelAt(frame, x, y);
        return p.g > 200 && p.r < 40 && p.b < 40;
    };
    int isolated = 0, hits = 0, visible = 0;
    for (int i = 0; i < bubbleCount; ++i) {
        int x, y;
        const Vec3& p = bubbles[i].position;
        if (!projectTankPoint(base.x + p.x, base.y - 2.5f + p.y, base.z + p.z, &x, &y)) continue;
        if (x < 8 || y < 8 || x >= kFrameWidth - 8 || y >= kFrameHeight - 8) continue;
        if (p.y < 6.0f) continue;  // may still be inside the sand
        ++visible;
        hits += green(x, y);
        int count = 0;
        for (int dy = -6; dy <= 6; ++dy) {
            for (int dx = -6; dx <= 6; ++dx) {
                count += green(x + dx, y + dy);
            }
        }
        isolated += count == 25;
    }
    // Fish passing in front hide a few.
    EXPECT_GE(visible, 8);
    EXPECT_GE(hits, visible * 6 / 10) << hits << " of " << visible;
    EXPECT_GE(isolated, 3) << "an isolated sprite is exactly 5 x 5 pixels";
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(CompleteFrame, ShowsEveryPartAndStaysClean) {
    setUpScene();
    usePose("top");
    GLint depthBefore = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    for (int i = 0; i < 300; ++i) {
        headlessAdvanceSeconds(0.031);
        updateCamera();
        renderFrame();
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "frame " << i;
    }
    GLint depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    EXPECT_EQ(bubbleCount, 200);
    auto frame = readColour();
    int hues[10] = {};
    for (size_t p = 0; p < frame.size() / 4; ++p) {
        ++hues[static_cast<int>(hueOf(pixelAt(frame, static_cast<int>(p % kFrameWidth),
                                               static_cast<int>(p / kFrameWidth))))];
    }
    EXPECT_GT(hues[static_cast<int>(Hue::Green)], 2000) << "room grid";
    EXPECT_GT(hues[static_cast<int>(Hue::Cyan)] + hues[static_cast<int>(Hue::Blue)], 5000)
        << "water and glass";
    EXPECT_GT(hues[static_cast<int>(Hue::Red)] + hues[static_cast<int>(Hue::Magenta)] +
                  hues[static_cast<int>(Hue::Yellow)],
              500)
        << "fish";
}

} // namespace
