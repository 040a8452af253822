// One moment on several outputs, as the wallpaper shows it on several
// monitors: each output its own viewport and projection, the same moment on
// all, and every motion stepped once a moment however many outputs show it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/moment.h"
#include "camera/tour.h"
#include "scene/bubbles.h"
#include "scene/caustics.h"
#include "scene/fish.h"
#include "scene/water.h"
#include "tests/scene_test_support.h"

namespace {

struct Size {
    int width, height;
};

std::vector<uint8_t> readOutput(int index, Size size) {
    platformMakeOutputCurrent(index);
    std::vector<uint8_t> pixels(static_cast<size_t>(size.width) * size.height * 4);
    glReadPixels(0, 0, size.width, size.height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Lit pixels in the columns [x0, x1) of a picture: a picture drawn into part
// of its output only leaves a black band.
int countLitColumns(const std::vector<uint8_t>& pixels, Size size, int x0, int x1) {
    int lit = 0;
    for (int y = 0; y < size.height; ++y) {
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = &pixels[(static_cast<size_t>(y) * size.width + x) * 4];
            lit += p[0] + p[1] + p[2] > 60 ? 1 : 0;
        }
    }
    return lit;
}

int countDifferentPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int different = 0;
    for (size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4) {
        different += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2] ? 1 : 0;
    }
    return different;
}

// What one moment's step leaves of every motion.
struct Motions {
    int causticFrame;
    int bubbleCount;
    Vec3 bubble;
    float fishAngle[3];
    float waterPhase;
};

Motions readMotions() {
    return {causticSet.causticFrame, bubbleCount, bubbles[0].position,
            {fishes[0].orbitAngle, fishes[1].orbitAngle, fishes[2].orbitAngle}, waterPhase};
}

// Checks that AFTER is BEFORE stepped exactly once by DT seconds.
void expectSteppedOnce(const Motions& before, const Motions& after, float dt) {
    EXPECT_EQ(after.causticFrame, (before.causticFrame + 1) % kCausticFrameCount);
    EXPECT_EQ(after.bubbleCount, before.bubbleCount + 1);
    EXPECT_FLOAT_EQ(after.bubble.y, before.bubble.y + bubbles[0].velocity.y);
    for (int i = 0; i < 3; ++i) {
        float turned = std::fmod(after.fishAngle[i] - before.fishAngle[i] + 360.0f, 360.0f);
        EXPECT_NEAR(turned, fishes[i].speed * 10.0f * dt, 1e-3f) << "fish " << i;
    }
    float phase = before.waterPhase;
    std::swap(phase, waterPhase);
    walkWaterStrips([] {}, [](const Vec3&) {}, advanceWaterPhase, [] {});
    std::swap(phase, waterPhase);
    EXPECT_EQ(after.waterPhase, phase);
}

} // namespace

TEST(Outputs, EachOfSeveralShowsTheWholeMomentAtItsOwnSize) {
    setUpScene();
    const Size sizes[] = {{kFrameWidth, kFrameHeight}, {kFrameWidth, kFrameHeight}, {300, 500}, {1000, 250}};
    for (int i = 1; i < 4; ++i) {
        ASSERT_TRUE(headlessAddOutput(sizes[i].width, sizes[i].height));
    }
    ASSERT_EQ(platformGetOutputCount(), 4);
    headlessAdvanceSeconds(2.0);
    drawMoment(nullptr);
    headlessAdvanceSeconds(0.05);
    headlessClearPresents();
    ASSERT_EQ(drawMoment(nullptr), 4);

    const std::vector<HeadlessPresent>& presents = headlessGetPresents();
    ASSERT_EQ(presents.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const HeadlessPresent& present = presents[i];
        Size size = sizes[i];
        EXPECT_EQ(present.output, i);
        EXPECT_EQ(present.viewport[2], size.width) << "output " << i;
        EXPECT_EQ(present.viewport[3], size.height) << "output " << i;
        // The projection's aspect is the output's own: nothing is stretched.
        EXPECT_NEAR(present.projection[5] / present.projection[0],
                    static_cast<float>(size.width) / static_cast<float>(size.height), 1e-4f)
            << "output " << i;
        std::vector<uint8_t> pixels = readOutput(i, size);
        int strip = size.width / 10;
        EXPECT_GT(countLitColumns(pixels, size, 0, strip), 0) << "output " << i << ": black band on the left";
        EXPECT_GT(countLitColumns(pixels, size, size.width - strip, size.width), 0)
            << "output " << i << ": black band on the right";
    }
    // Two outputs of one size show the very same picture: one moment.
    // Two outputs of one size show one moment: the same picture, but for the
    // few edge pixels where llvmpipe rasterises a vertex stream that lies
    // elsewhere in its buffers a little differently. The next moment, 0.05 s
    // on, changes many times more.
    std::vector<uint8_t> first = readOutput(0, sizes[0]);
    int sameMoment = countDifferentPixels(first, readOutput(1, sizes[1]));
    EXPECT_LT(sameMoment, kFrameWidth * kFrameHeight / 500);
    headlessAdvanceSeconds(0.05);
    drawMoment(nullptr);
    EXPECT_GT(countDifferentPixels(first, readOutput(0, sizes[0])), 5 * std::max(sameMoment, kFrameWidth * kFrameHeight / 500));
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(Outputs, AMomentOnSeveralStepsEveryMotionOnce) {
    setUpScene();
    ASSERT_TRUE(headlessAddOutput(320, 240));
    ASSERT_TRUE(headlessAddOutput(240, 320));
    headlessAdvanceSeconds(1.0);
    drawMoment(nullptr);

    Motions before = readMotions();
    headlessAdvanceSeconds(0.05);
    EXPECT_EQ(drawMoment(nullptr), 3);
    Motions afterThree = readMotions();
    expectSteppedOnce(before, afterThree, 0.05f);

    // The same step with one output seen: only that one is drawn, and it
    // keeps the viewport its size events set.
    headlessSetOutputVisible(0, false);
    headlessSetOutputVisible(2, false);
    headlessAdvanceSeconds(0.05);
    headlessClearPresents();
    EXPECT_EQ(drawMoment(nullptr), 1);
    expectSteppedOnce(afterThree, readMotions(), 0.05f);
    ASSERT_EQ(headlessGetPresents().size(), 1u);
    EXPECT_EQ(headlessGetPresents()[0].output, 1);
    EXPECT_EQ(headlessGetPresents()[0].viewport[2], 320);
}

TEST(Outputs, ALoneOutputKeepsItsViewportAndSteps) {
    setUpScene();
    resizeViewport(640, 480);
    headlessAdvanceSeconds(1.0);
    drawMoment(nullptr);
    Motions before = readMotions();
    headlessAdvanceSeconds(0.05);
    headlessClearPresents();
    ASSERT_EQ(drawMoment(nullptr), 1);
    expectSteppedOnce(before, readMotions(), 0.05f);
    ASSERT_EQ(headlessGetPresents().size(), 1u);
    EXPECT_EQ(headlessGetPresents()[0].viewport[2], 640);
    EXPECT_EQ(headlessGetPresents()[0].viewport[3], 480);
}

TEST(Outputs, TheOutputLeftWhenAnotherGoesFillsItselfAtItsOwnAspect) {
    setUpScene();
    const Size window = {kFrameWidth, kFrameHeight};
    const Size wide = {1000, 250};
    ASSERT_TRUE(headlessAddOutput(wide.width, wide.height));
    headlessAdvanceSeconds(1.0);
    ASSERT_EQ(drawMoment(nullptr), 2);
    // The wide monitor is unplugged; no size event comes for the window's.
    headlessRemoveOutput(1);
    headlessAdvanceSeconds(0.05);
    headlessClearPresents();
    ASSERT_EQ(drawMoment(nullptr), 1);
    ASSERT_EQ(headlessGetPresents().size(), 1u);
    const HeadlessPresent& present = headlessGetPresents()[0];
    EXPECT_EQ(present.viewport[2], window.width);
    EXPECT_EQ(present.viewport[3], window.height);
    EXPECT_NEAR(present.projection[5] / present.projection[0],
                static_cast<float>(window.width) / static_cast<float>(window.height), 1e-4f);
    std::vector<uint8_t> pixels = readOutput(0, window);
    // The picture reaches the top rows too, not a band the wide one's size left.
    int topRows = 0;
    for (int y = window.height - 20; y < window.height; ++y) {
        for (int x = 0; x < window.width; ++x) {
            const uint8_t* p = &pixels[(static_cast<size_t>(y) * window.width + x) * 4];
            topRows += p[0] + p[1] + p[2] > 60 ? 1 : 0;
        }
    }
    EXPECT_GT(topRows, 0) << "the top of the window stays black";
    EXPECT_GT(countLitColumns(pixels, window, window.width - window.width / 10, window.width), 0);
    // A moment later the size events' viewport is kept again.
    headlessAdvanceSeconds(0.05);
    headlessClearPresents();
    drawMoment(nullptr);
    EXPECT_EQ(headlessGetPresents()[0].viewport[3], window.height);
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(Outputs, TheFirstMomentAfterTenSecondsUnseenShowsThoseTenSeconds) {
    setUpScene();
    startTour(false);
    for (int frame = 0; frame < 40; ++frame) {
        headlessAdvanceSeconds(0.1);
        updateTourOrCamera();
        drawMoment(nullptr);
    }
    // Asleep, as while the window is minimised or covered: no moment drawn,
    // nothing stepped, while the counter runs on.
    headlessSetOutputVisible(0, false);
    Motions asleep = readMotions();
    headlessAdvanceSeconds(0.1);
    EXPECT_EQ(drawMoment(nullptr), 0);
    EXPECT_EQ(readMotions().causticFrame, asleep.causticFrame);
    EXPECT_EQ(readMotions().fishAngle[0], asleep.fishAngle[0]);
    headlessAdvanceSeconds(10.0);
    headlessSetOutputVisible(0, true);
    updateTourOrCamera();
    ASSERT_EQ(drawMoment(nullptr), 1);

    // The tour is 14.1 s in, the water (started by the first moment) 14 s,
    // and the fish have swum the 10.1 s since their last step.
    EXPECT_NEAR(readElapsed(tour.clock), 14.1, 1e-9);
    Pose expected = computeTourPose(14.1);
    EXPECT_NEAR(camera.position.x, expected.position.x, 1e-4f);
    EXPECT_NEAR(camera.position.z, expected.position.z, 1e-4f);
    EXPECT_NEAR(readElapsed(waterClock), 14.0, 1e-9);
    float turned = std::fmod(readMotions().fishAngle[0] - asleep.fishAngle[0] + 360.0f, 360.0f);
    EXPECT_NEAR(turned, std::fmod(fishes[0].speed * 10.0f * 10.1f, 360.0f), 1e-2f);
}

TEST(Outputs, APausedMomentAWeekInHoldsAndResumesAsIfNoTimePassed) {
    setUpScene();
    headlessAdvanceSeconds(7.0 * 86400.0);
    drawMoment(nullptr);
    headlessAdvanceSeconds(0.05);
    drawMoment(nullptr);
    std::vector<uint8_t> atPause = readOutput(0, {kFrameWidth, kFrameHeight});
    Motions before = readMotions();
    setScenePaused(true);
    // An hour paused, drawn now and then as the camera or an expose asks:
    // the same moment each time, nothing stepped.
    for (int i = 0; i < 3; ++i) {
        headlessAdvanceSeconds(1200.0);
        ASSERT_EQ(drawMoment(nullptr), 1);
    }
    EXPECT_EQ(countDifferentPixels(atPause, readOutput(0, {kFrameWidth, kFrameHeight})), 0);
    EXPECT_EQ(readMotions().causticFrame, before.causticFrame);
    EXPECT_EQ(readMotions().fishAngle[0], before.fishAngle[0]);
    EXPECT_EQ(readMotions().waterPhase, before.waterPhase);
    setScenePaused(false);
    // The first moment after steps as one 0.05 s after the pause would have.
    headlessAdvanceSeconds(0.05);
    drawMoment(nullptr);
    expectSteppedOnce(before, readMotions(), 0.05f);
}
