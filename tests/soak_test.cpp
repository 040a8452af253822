// A long run on the headless context: tens of thousands of frames across
// hours of driven time, with the camera flying, checked for GL errors, a
// steady matrix stack, flat memory and clocks that keep their meaning.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>
#include <algorithm>

#include "scene/bubbles.h"
#include "scene/caustics.h"
#include "scene/fish.h"
#include "scene/water.h"
#include "tests/scene_test_support.h"

namespace {

// Resident memory of this process in kB.
long residentKilobytes() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    long kb = -1;
    char line[256];
    while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "VmRSS: %ld", &kb) == 1) break;
    }
    if (status != nullptr) std::fclose(status);
    return kb;
}

TEST(Soak, TwentyThousandFramesOverSixHours) {
    const int frames = 20000;
    const double step = 1.1;  // seconds per frame: about 6.1 hours in all
    setUpScene();
    // A small viewport keeps the fill cost down; every pass still runs.
    resizeViewport(80, 60);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    const int flyKeys[] = {'A', 'W', KEY_UP_ARROW, 'F', 'S', KEY_RIGHT_ARROW};
    long memoryAfterWarmUp = 0;
    for (int i = 1; i <= frames; ++i) {
        if (i % 500 == 0) {
            headlessReleaseAllKeys();
            headlessSetKey(flyKeys[(i / 500) % 6], true);
        }
        headlessAdvanceSeconds(step);
        updateCamera();
        renderFrame();
        if (i % 1000 == 0) {
            ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "frame " << i;
            GLint now = 0;
            glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &now);
            ASSERT_EQ(now, depth) << "frame " << i;
        }
        if (i == 2000) memoryAfterWarmUp = residentKilobytes();
    }
    headlessReleaseAllKeys();
    long memoryAtEnd = residentKilobytes();
    std::printf("resident memory: %ld kB after 2000 frames, %ld kB after %d\n", memoryAfterWarmUp,
                memoryAtEnd, frames);
    EXPECT_LT(memoryAtEnd - memoryAfterWarmUp, 2048) << "memory grows";

    // The clocks keep their meaning after hours: each orbit angle is where
    // the driven time puts it, within a turn; the phase stays in range, the
    // caustic frame and the bubbles keep cycling.
    double swum = (frames - 1) * step;  // the tank's clock starts on the first frame
    for (const Fish& fish : fishesInUse()) {
        double off = std::fmod(fish.orbitAngle - fish.speed * 10.0 * swum, 360.0);
        EXPECT_LT(std::fmin(std::fabs(off), 360.0 - std::fabs(off)), 1.0);
        EXPECT_LT(fish.orbitAngle, 360.0f);
    }
    EXPECT_GE(waterPhase, 0.0f);
    EXPECT_LE(waterPhase, kWaterPhaseLimit);
    EXPECT_GE(causticSet.causticFrame, 0);
    EXPECT_LT(causticSet.causticFrame, kCausticFrameCount);
    EXPECT_EQ(bubbleCount, kMaxBubbles);
    EXPECT_GT(readElapsed(waterClock), 20000.0f);
    EXPECT_TRUE(std::isfinite(cameraPosition.x) && std::isfinite(cameraForward.y));
}

// Pixels that differ between two frames read back.
int countChangedPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int changed = 0;
    for (size_t i = 0; i + 3 < a.size(); i += 4) {
        changed += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
    }
    return changed;
}

// The fewest pixels that changed from one frame to the next over ten frames
// of 1/60 s, the camera still.
int countFewestChangesPerFrame() {
    std::vector<uint8_t> previous;
    int fewest = kFrameWidth * kFrameHeight;
    for (int i = 0; i <= 10; ++i) {
        headlessAdvanceSeconds(1.0 / 60.0);
        renderFrame();
        std::vector<uint8_t> now = readColour();
        if (i > 0) fewest = std::min(fewest, countChangedPixels(previous, now));
        previous = now;
    }
    return fewest;
}

TEST(Soak, AMonthInEveryFrameMovesAsInTheFirstMinute) {
    setUpScene();
    headlessAdvanceSeconds(0.5);
    renderFrame();  // starts every clock
    int firstMinute = countFewestChangesPerFrame();
    std::printf("fewest pixels changed per frame: %d in the first minute\n", firstMinute);
    ASSERT_GT(firstMinute, 1000);
    for (int week = 1; week <= 4; ++week) {
        headlessAdvanceSeconds(7.0 * 24 * 3600);
        renderFrame();
        int later = countFewestChangesPerFrame();
        std::printf("fewest pixels changed per frame: %d after %d weeks\n", later, week);
        EXPECT_GT(later, firstMinute / 2) << "after " << week << " weeks";
    }
}

} // namespace
