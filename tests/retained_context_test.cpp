// A context replaced mid-run, as a program that closes its window and opens
// another: the new one builds its own geometry and draws the same picture.
#include <gtest/gtest.h>

#include "scene/setup.h"
#include "tests/same_frame.h"
#include "tests/scene_test_support.h"

TEST(RetainedGeometry, ANewContextBuildsItsOwnAndDrawsTheSamePicture) {
    setUpScene();
    renderFrame();
    expectSameFrame("first context");
    // As a program that closes its window and opens another: the lists of
    // the first context go with it.
    replaceHeadlessContext();
    EXPECT_EQ(drainGlErrors(), 0);
    initScene();
    resizeViewport(kFrameWidth, kFrameHeight);
    renderFrame();
    expectSameFrame("second context");
}
