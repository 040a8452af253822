// The frame drawn from geometry built once matches the frame sent vertex by
// vertex, and sends none of that geometry again.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>

#include "camera/tour.h"
#include "scene/fish.h"
#include "scene/retained.h"
#include "scene/scene_state.h"
#include "scene/setup.h"
#include "tests/same_frame.h"
#include "tests/scene_test_support.h"
#include "tools/camera_poses.h"

namespace {

// glBegin calls, counted on both ways in: the program's own through
// libepoxy's pointer, GLU's quadrics through the library symbol.
long beginsCounted = 0;
void (*epoxyBegin)(GLenum) = nullptr;

void countEpoxyBegin(GLenum mode) {
    ++beginsCounted;
    epoxyBegin(mode);
}

} // namespace

#undef glBegin
extern "C" void glBegin(GLenum mode) {
    static auto next = reinterpret_cast<void (*)(GLenum)>(dlsym(RTLD_NEXT, "glBegin"));
    ++beginsCounted;
    next(mode);
}

namespace {

void expectEveryPoseAndTheTourTheSame() {
    // The very first frame starts the clocks and is no repeated moment's model.
    renderFrame();
    for (const char* name : {"start", "close", "above", "side", "top"}) {
        ASSERT_TRUE(findCameraPose(name, &camera));
        headlessAdvanceSeconds(1.3);
        expectSameFrame(name);
    }
    startTour(false);
    double last = 0.0;
    for (double at : {6.0, 50.0, 400.0}) {
        headlessAdvanceSeconds(at - last);
        last = at;
        updateTourOrCamera();
        expectSameFrame(("tour at " + std::to_string(at) + " s").c_str());
    }
}

} // namespace

TEST(RetainedGeometry, EveryPoseAndTheTourLookAsSentVertexByVertex) {
    setUpScene();
    expectEveryPoseAndTheTourTheSame();
}

TEST(RetainedGeometry, FiveHundredFishAndTheFixedFunctionFallbackLookTheSame) {
    fishCount = kMaxFish;
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
    epoxyBegin = epoxy_glBegin;
    epoxy_glBegin = countEpoxyBegin;
    renderFrame();  // builds what it has not built yet
    beginsCounted = 0;
    renderFrame();
    long retained = beginsCounted;
    retainedGeometry = false;
    renderFrame();
    retainedGeometry = true;
    long sentAgain = beginsCounted - retained;
    epoxy_glBegin = epoxyBegin;
    EXPECT_EQ(retained, 0) << "a frame began " << retained << " primitives of its own";
    // The count sees both ways in: 20 strips a fish, 18 of them its
    // spheres' and 2 its tail's from GLU, and some 200 of the tank's quadrics.
    EXPECT_GT(sentAgain, 50 * 20 + 200);
}
