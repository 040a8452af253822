// A long run on the headless context: tens of thousands of frames across
// hours of driven time, with the camera flying, checked for GL errors, a
// steady matrix stack, flat memory and clocks that keep their meaning.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

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

    // The clocks keep their meaning after hours: the orbit angle has grown
    // with the driven time and is never wrapped, the phase stays in range,
    // the caustic frame and the bubbles keep cycling.
    double seconds = frames * step;
    for (const Fish& fish : fishes) {
        EXPECT_NEAR(fish.orbitAngle, fish.speed * 10.0 * seconds, fish.speed * 10.0 * seconds * 1e-3);
    }
    EXPECT_GE(waterPhase, 0.0f);
    EXPECT_LE(waterPhase, kWaterPhaseLimit);
    EXPECT_GE(causticSet.causticFrame, 0);
    EXPECT_LT(causticSet.causticFrame, kCausticFrameCount);
    EXPECT_EQ(bubbleCount, kMaxBubbles);
    EXPECT_GT(readElapsed(waterClock), 20000.0f);
    EXPECT_TRUE(std::isfinite(cameraPosition.x) && std::isfinite(cameraForward.y));
}

} // namespace
