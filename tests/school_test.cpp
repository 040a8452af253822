// The school drawn instanced against one fish at a time: the same picture,
// the same state handed to the passes after it, and the same number of draws
// whatever the number of fish.
#include <gtest/gtest.h>

#include <cstring>

#include "scene/fish.h"
#include "scene/pass_marks.h"
#include "scene/school.h"
#include "tests/gl_call_counter.h"
#include "tests/same_frame.h"
#include "tests/scene_test_support.h"

namespace {

TEST(School, EveryPoseAndTheTourLookAsOneFishAtATime) {
    setUpScene();
    ASSERT_TRUE(checkFishInstancing()) << "llvmpipe offers instanced drawing";
    expectEveryPoseAndTheTourTheSame(&instancedFish);
}

TEST(School, FiveHundredFishLookAsOneFishAtATime) {
    setFishCount(500);
    setUpScene();
    expectEveryPoseAndTheTourTheSame(&instancedFish);
}

// What the fish pass leaves for the sand pass, and what the tank shell's end
// left for the fish pass, read back from GL.
struct HandedState {
    GLint program, cullFace, arrayBuffer, elementBuffer, activeTexture;
    GLboolean cull, blend, stencil, depth, lighting, texture0, texture1;
    GLint attribArray[8], divisor[8];
    float normal[4], texCoord[4], colour[4], modelView[16];
};

HandedState readHandedState() {
    HandedState s;
    std::memset(&s, 0, sizeof s);
    s.program = static_cast<GLint>(glGetHandleARB(GL_PROGRAM_OBJECT_ARB));
    glGetIntegerv(GL_CULL_FACE_MODE, &s.cullFace);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &s.arrayBuffer);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &s.elementBuffer);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &s.activeTexture);
    s.cull = glIsEnabled(GL_CULL_FACE);
    s.blend = glIsEnabled(GL_BLEND);
    s.stencil = glIsEnabled(GL_STENCIL_TEST);
    s.depth = glIsEnabled(GL_DEPTH_TEST);
    s.lighting = glIsEnabled(GL_LIGHTING);
    s.texture0 = glIsEnabled(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE1);
    s.texture1 = glIsEnabled(GL_TEXTURE_2D);
    glActiveTexture(static_cast<GLenum>(s.activeTexture));
    for (GLuint a = 0; a < 8; ++a) {
        glGetVertexAttribiv(a, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &s.attribArray[a]);
        glGetVertexAttribiv(a, GL_VERTEX_ATTRIB_ARRAY_DIVISOR, &s.divisor[a]);
    }
    glGetFloatv(GL_CURRENT_NORMAL, s.normal);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, s.texCoord);
    glGetFloatv(GL_CURRENT_COLOR, s.colour);
    glGetFloatv(GL_MODELVIEW_MATRIX, s.modelView);
    return s;
}

HandedState beforeFish, afterFish;

void recordAroundTheFish(FramePass pass) {
    if (pass == PASS_TANK_SHELL) beforeFish = readHandedState();
    if (pass == PASS_FISH) afterFish = readHandedState();
}

void expectSameState(const HandedState& a, const HandedState& b) {
    EXPECT_EQ(a.program, b.program);
    EXPECT_EQ(a.cullFace, b.cullFace);
    EXPECT_EQ(a.arrayBuffer, b.arrayBuffer);
    EXPECT_EQ(a.elementBuffer, b.elementBuffer);
    EXPECT_EQ(a.activeTexture, b.activeTexture);
    EXPECT_EQ(a.cull, b.cull);
    EXPECT_EQ(a.blend, b.blend);
    EXPECT_EQ(a.stencil, b.stencil);
    EXPECT_EQ(a.depth, b.depth);
    EXPECT_EQ(a.lighting, b.lighting);
    EXPECT_EQ(a.texture0, b.texture0);
    EXPECT_EQ(a.texture1, b.texture1);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(a.attribArray[i], b.attribArray[i]) << "attribute " << i;
        EXPECT_EQ(a.divisor[i], b.divisor[i]) << "attribute " << i;
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(a.normal[i], b.normal[i], 1e-6f) << "normal " << i;
        EXPECT_NEAR(a.texCoord[i], b.texCoord[i], 1e-6f) << "texture coordinate " << i;
        EXPECT_EQ(a.colour[i], b.colour[i]) << "colour " << i;
    }
    EXPECT_EQ(std::memcmp(a.modelView, b.modelView, sizeof a.modelView), 0);
}

TEST(School, HandsOnTheStateOneFishAtATimeHandsOn) {
    setUpScene();
    renderFrame();
    passEndObserver = recordAroundTheFish;
    renderFrame();
    HandedState instancedBefore = beforeFish, instancedAfter = afterFish;
    instancedFish = false;
    renderFrame();
    instancedFish = true;
    passEndObserver = nullptr;
    {
        SCOPED_TRACE("what the fish pass found");
        expectSameState(instancedBefore, beforeFish);
    }
    {
        SCOPED_TRACE("what the fish pass left");
        expectSameState(instancedAfter, afterFish);
    }
    // What a fish step leaves: no program, back faces culled,
    // blending on, the matrix as found; and no array left on for the sand.
    EXPECT_EQ(instancedAfter.program, 0);
    EXPECT_EQ(instancedAfter.cullFace, GL_BACK);
    EXPECT_TRUE(instancedAfter.cull && instancedAfter.blend);
    EXPECT_EQ(std::memcmp(instancedAfter.modelView, instancedBefore.modelView, sizeof instancedBefore.modelView), 0);
    EXPECT_EQ(drainGlErrors(), 0);
}

// The draws of one frame, counted after a frame that built what it needed.
long countFrameDraws() {
    renderFrame();
    startCountingGlCalls();
    renderFrame();
    return stopCountingGlCalls().draws;
}

TEST(School, ThirtyThousandFishTakeNoMoreDrawsThanFifty) {
    setUpScene();
    long fifty = countFrameDraws();
    instancedFish = false;
    long fiftyOneByOne = countFrameDraws();
    instancedFish = true;
    // Three pieces a fish, one draw each, when drawn one at a time.
    EXPECT_GE(fiftyOneByOne - fifty, 3 * 50 - 3);

    setFishCount(kMaxFish);
    initLaterFishes();
    long thirtyThousand = countFrameDraws();
    EXPECT_LE(thirtyThousand, fifty);
    // Every fish is stepped: a frame of one second moves each by its pace.
    headlessAdvanceSeconds(1.0);
    renderFrame();
    int moved = 0;
    for (const Fish& fish : fishesInUse()) {
        moved += fish.speed >= 1.0f && std::abs(fish.orbitAngle - fish.speed * 10.0f) < 0.01f;
    }
    EXPECT_EQ(moved, kMaxFish);
    // Each in its place and colour: the picture of one fish at a time, where
    // the school has spread round the tank. Where thousands of fish cross,
    // rounding decides a few more depth ties between two of them (some 270
    // pixels here), so up to 0.1 % may differ by more than 4 levels.
    headlessAdvanceSeconds(7.0);
    ASSERT_TRUE(findCameraPose("side", &camera));
    expectSameFrame("30000 fish", &instancedFish, kFrameWidth * kFrameHeight / 1000);
    EXPECT_EQ(drainGlErrors(), 0);
}

} // namespace
