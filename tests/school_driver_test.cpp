// The school on a driver that offers less than OpenGL 3.3: ctest runs this
// with MESA_GL_VERSION_OVERRIDE=3.0, once with the instancing extensions
// offered and once with them hidden (MESA_EXTENSION_OVERRIDE), and says in
// MARIVELLE_EXPECT_INSTANCING which to expect. Either way the picture is the
// one the snapshot tool draws on the whole driver.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "scene/school.h"
#include "tests/gl_call_counter.h"
#include "tests/same_frame.h"
#include "tests/scene_test_support.h"
#include "tests/snapshot_support.h"

namespace {

// Draws of one more frame of the same moment, the school drawn as INSTANCED
// says (or one fish at a time).
long countRepeatedFrameDraws(bool instanced) {
    instancedFish = instanced;
    startCountingGlCalls();
    renderRepeatedFrame();
    long draws = stopCountingGlCalls().draws;
    instancedFish = true;
    return draws;
}

TEST(SchoolOnAnOlderDriver, DrawsWhatTheWholeDriverDraws) {
    const char* expected = std::getenv("MARIVELLE_EXPECT_INSTANCING");
    ASSERT_NE(expected, nullptr) << "ctest runs this, with the driver's knobs set";
    bool instancing = std::string(expected) == "1";
    setUpScene();
    ASSERT_EQ(epoxy_gl_version(), 30) << "MESA_GL_VERSION_OVERRIDE=3.0 did not take";
    EXPECT_EQ(checkFishInstancing(), instancing);

    // As the tool draws it: the side pose, 1.2 s in 12 frames.
    ASSERT_TRUE(findCameraPose("side", &camera));
    for (int i = 0; i < 12; ++i) {
        updateTourOrCamera();
        renderFrame();
        headlessAdvanceSeconds(0.1);
    }
    std::vector<uint8_t> here = readColour();
    Picture whole;
    std::string path = runSnapshot("--pose side --time 1.2 --frames 12",
                                   "env -u MESA_GL_VERSION_OVERRIDE -u MESA_EXTENSION_OVERRIDE ");
    ASSERT_TRUE(readPng(path, &whole));
    std::remove(path.c_str());
    ASSERT_EQ(whole.width, kFrameWidth);
    ASSERT_EQ(whole.height, kFrameHeight);
    // The tool's rows run top down, GL's bottom up.
    std::vector<uint8_t> wholeUpward(whole.rgba.size());
    size_t row = static_cast<size_t>(kFrameWidth) * 4;
    for (int y = 0; y < kFrameHeight; ++y) {
        std::copy_n(&whole.rgba[static_cast<size_t>(kFrameHeight - 1 - y) * row], row, &wholeUpward[y * row]);
    }
    Difference d = compareFrames(here, wholeUpward);
    EXPECT_LE(d.differing, kFrameWidth * kFrameHeight / 100);
    EXPECT_LE(d.beyondFour, kFrameWidth * kFrameHeight / 2000);

    // One fish at a time takes three draws a fish; instanced, three in all.
    long oneByOne = countRepeatedFrameDraws(false);
    long asDrawn = countRepeatedFrameDraws(true);
    if (instancing) {
        EXPECT_LE(asDrawn, oneByOne - 3 * 50 + 3);
    } else {
        EXPECT_EQ(asDrawn, oneByOne);
    }
    EXPECT_EQ(drainGlErrors(), 0);
}

} // namespace
