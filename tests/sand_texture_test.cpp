// Texture upload, the height map and the sand floor on the headless context.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "assets/texture.h"
#include "scene/caustics.h"
#include "scene/sand.h"
#include "scene/scene_state.h"
#include "tests/scene_test_support.h"

namespace {

GLint levelParameter(int level, GLenum name) {
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

GLint textureParameter(GLenum name) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

// Checks a complete mipmap chain from width x height down to 1 x 1.
void expectFullChain(int width, int height) {
    int level = 0;
    for (int w = width, h = height; w >= 1 && h >= 1; ++level) {
        EXPECT_EQ(levelParameter(level, GL_TEXTURE_WIDTH), w) << "level " << level;
        EXPECT_EQ(levelParameter(level, GL_TEXTURE_HEIGHT), h) << "level " << level;
        if (w == 1 && h == 1) break;
        w = std::max(1, w / 2);
        h = std::max(1, h / 2);
    }
    EXPECT_EQ(levelParameter(level + 1, GL_TEXTURE_WIDTH), 0);
}

TEST(TextureUpload, BmpTexturesHaveTheirChainFiltersAndClamp) {
    setUpScene();
    glActiveTexture(GL_TEXTURE0);
    for (GLuint texture : {scene.sandTexture, scene.bubbleTexture}) {
        glBindTexture(GL_TEXTURE_2D, texture);
        int width = levelParameter(0, GL_TEXTURE_WIDTH);
        int height = levelParameter(0, GL_TEXTURE_HEIGHT);
        EXPECT_GT(width, 1);
        EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
        expectFullChain(width, height);
        EXPECT_EQ(textureParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
        EXPECT_EQ(textureParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
        EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
        EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    }
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(TextureUpload, CausticFramesAreRepeatingLuminanceTextures) {
    setUpScene();
    glActiveTexture(GL_TEXTURE0);
    for (int i = 0; i < kCausticFrameCount; ++i) {
        glBindTexture(GL_TEXTURE_2D, causticSet.causticTextures[i]);
        EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_LUMINANCE8) << "frame " << i;
        EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
        EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
        EXPECT_EQ(textureParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    }
    glBindTexture(GL_TEXTURE_2D, causticSet.causticTextures[31]);
    expectFullChain(levelParameter(0, GL_TEXTURE_WIDTH), levelParameter(0, GL_TEXTURE_HEIGHT));
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(TextureUpload, UnreadableBmpShowsTheMessageAndLeavesTheTextureAlone) {
    enterScratchDataDir({});
    writeBytes("odd.bmp", solidBmp(5, 2, 1, 2, 3));
    std::vector<uint8_t> eightBit = solidBmp(4, 4, 0, 0, 0);
    eightBit[28] = 8;
    writeBytes("eight.bmp", eightBit);
    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    headlessClearMessages();
    EXPECT_FALSE(loadBmpTexture("eight.bmp"));
    EXPECT_FALSE(loadBmpTexture("missing.bmp"));
    ASSERT_EQ(headlessGetMessages().size(), 2u);
    EXPECT_EQ(headlessGetMessages()[1].text, "Hey dodo, you can't copy files");
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 0);
    // A 5-pixel row is padded to 16 bytes; alignment 4 consumes exactly that.
    EXPECT_TRUE(loadBmpTexture("odd.bmp"));
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 4);  // scaled to a power of two
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(HeightMap, MissingFileGivesOneMessageAndAFlatBlackFloor) {
    enterScratchDataDir(dataFilesWithout({"Batman.raw"}));
    headlessClearMessages();
    setUpScene();
    ASSERT_EQ(headlessGetMessages().size(), 1u);
    EXPECT_EQ(headlessGetMessages()[0].text, "Can't Find The Height Map!");
    EXPECT_EQ(headlessGetMessages()[0].caption, "Error");
    for (uint8_t h : sandHeightMap.samples) {
        ASSERT_EQ(h, 0);
    }
    EXPECT_LT(computeSandGrey(0), 0.0f);
    EXPECT_LT(computeSandGrey(38), 0.0f);
    EXPECT_GT(computeSandGrey(39), 0.0f);
    EXPECT_NEAR(computeSandGrey(255), 0.846f, 1e-3);
}

TEST(HeightMap, FileThatOpensButCannotBeReadGivesFailedToGetData) {
    enterScratchDataDir({});
    std::filesystem::create_directory("Batman.raw");  // opens on Linux, then fails to read
    headlessClearMessages();
    loadHeightMap();
    ASSERT_EQ(headlessGetMessages().size(), 1u);
    EXPECT_EQ(headlessGetMessages()[0].text, "Failed To Get Data!");
    EXPECT_EQ(headlessGetMessages()[0].caption, "Error");
}

TEST(HeightMap, ShortFileFillsTheMapFromTheStart) {
    enterScratchDataDir(dataFilesWithout({"Batman.raw"}));
    std::vector<uint8_t> half(524288);
    for (size_t i = 0; i < half.size(); ++i) {
        half[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    writeBytes("Batman.raw", half);
    headlessClearMessages();
    setUpScene();
    EXPECT_TRUE(headlessGetMessages().empty());
    EXPECT_EQ(sandHeightMap.samples[0], half[0]);
    EXPECT_EQ(sandHeightMap.samples[511 * 1024 + 1023], half[524287]);
    EXPECT_EQ(sandHeightMap.samples[512 * 1024], 0);
    EXPECT_EQ(readSandHeight(16, 32), half[32784]);
    EXPECT_EQ(readSandHeight(1008, 1008), 0);  // rows from 512 on lie flat
    EXPECT_EQ(readSandHeight(1008, 496), half[496 * 1024 + 1008]);
}

// Looks straight down onto the sand from the tank's axis, where no fish swim
// (their orbits keep at least 8 units from it) and no bubble has risen yet.
void lookDownOnTheSand() {
    float x = scene.sceneOffset.x + scene.tankCentre.x;
    float z = scene.sceneOffset.z + scene.tankCentre.z;
    camera.position = {x, 2.5f + scene.sceneOffset.y + scene.tankCentre.y + 9.0f, z};
    camera.forward = {0.0f, -1.0f, 0.0f};
    camera.up = {0.0f, 0.0f, -1.0f};
}

// Mean colour of a 40 x 40 square at the middle of the frame.
Rgba meanAtCentre(const std::vector<uint8_t>& frame) {
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = 280; y < 320; ++y) {
        for (int x = 380; x < 420; ++x) {
            Rgba p = pixelAt(frame, x, y);
            r += p.r;
            g += p.g;
            b += p.b;
            ++n;
        }
    }
    return {static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n), 255};
}

TEST(SandFloor, ShadedByHeightAndCarryingTheTexture) {
    enterScratchDataDir(dataFilesWithout({"Batman.raw", "Sand.bmp"}));
    writeBytes("Sand.bmp", solidBmp(16, 16, 0, 0, 255));  // pure red sand
    writeBytes("Batman.raw", std::vector<uint8_t>(1024 * 1024, 250));
    setUpScene();
    lookDownOnTheSand();
    renderFrame();
    renderFrame();
    Rgba high = meanAtCentre(readColour());
    // Unlit: texel (red) times grey (250 / 256 - 0.15), times the caustic.
    EXPECT_GT(high.r, 60);
    EXPECT_LT(high.g, high.r / 4);
    EXPECT_LT(high.b, high.r / 4);

    // The same sand at height 38 has a negative grey: black.
    std::fill(std::begin(sandHeightMap.samples), std::end(sandHeightMap.samples), 38);
    renderFrame();
    Rgba low = meanAtCentre(readColour());
    EXPECT_LT(low.r, 8);
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(SandFloor, ShippedSandIsVisibleInsideTheTank) {
    setUpScene();
    lookDownOnTheSand();
    renderFrame();
    renderFrame();
    Rgba sand = meanAtCentre(readColour());
    EXPECT_GT(sand.r + sand.g + sand.b, 60);
    EXPECT_GE(sand.r, sand.b);  // warm sand, not blue glass
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(SceneWithoutSandBmp, RendersFramesWithoutErrors) {
    enterScratchDataDir(dataFilesWithout({"Sand.bmp"}));
    setUpScene();
    for (int i = 0; i < 10; ++i) {
        headlessAdvanceSeconds(0.04);
        renderFrame();
    }
    EXPECT_EQ(drainGlErrors(), 0);
}

} // namespace
