// The frame drawn from geometry built once matches the frame sent vertex by
// vertex, and sends none of that geometry again.
#include <gtest/gtest.h>

#include "scene/fish.h"
#include "scene/retained.h"
#include "scene/scene_state.h"
#include "scene/setup.h"
#include "tests/gl_call_counter.h"
#include "tests/same_frame.h"
#include "tests/scene_test_support.h"

TEST(RetainedGeometry, EveryPoseAndTheTourLookAsSentVertexByVertex) {
    setUpScene();
    expectEveryPoseAndTheTourTheSame();
}

TEST(RetainedGeometry, FiveHundredFishAndTheFixedFunctionFallbackLookTheSame) {
    setFishCount(500);
    setUpScene();
    expectEveryPoseAndTheTourTheSame();
    // As where the programs failed to build: every pass falls back to the
    // fixed-function pipeline.
    scene.waterProgram = scene.fishProgram = scene.finProgram = scene.lightProgram = 0;
    expectEveryPoseAndTheTourTheSame();
}

TEST(RetainedGeometry, AFrameSendsNoVertexOfTheGeometryBuiltOnce) {
    setUpScene();
    retainedGeometry = false;
    renderFrame();
    retainedGeometry = true;
    renderFrame();  // builds what it has not built yet
    startCountingGlCalls();
    renderFrame();
    long retained = stopCountingGlCalls().begins;
    retainedGeometry = false;
    startCountingGlCalls();
    renderFrame();
    long sentAgain = stopCountingGlCalls().begins;
    retainedGeometry = true;
    EXPECT_EQ(retained, 0) << "a frame began " << retained << " primitives of its own";
    // The count sees both ways in: 20 strips a fish, 18 of them its
    // spheres' and 2 its tail's from GLU, and some 200 of the tank's quadrics.
    EXPECT_GT(sentAgain, 50 * 20 + 200);
}
