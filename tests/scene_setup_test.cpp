// The state initScene leaves, read back with glGet.
#include <gtest/gtest.h>

#include "assets/shader.h"
#include "scene/scene_state.h"
#include "tests/scene_test_support.h"

namespace {

void expectColour(const float* actual, float r, float g, float b, float a) {
    EXPECT_FLOAT_EQ(actual[0], r);
    EXPECT_FLOAT_EQ(actual[1], g);
    EXPECT_FLOAT_EQ(actual[2], b);
    EXPECT_FLOAT_EQ(actual[3], a);
}

TEST(SceneSetup, LightsSitAtTheEyeWithTheirColours) {
    setUpScene();
    float v[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, v);
    expectColour(v, 0, 0, 0, 1);
    glGetLightfv(GL_LIGHT1, GL_POSITION, v);
    expectColour(v, 0, 0, 0, 1);
    glGetLightfv(GL_LIGHT0, GL_SPOT_CUTOFF, v);
    EXPECT_FLOAT_EQ(v[0], 45.0f);
    glGetLightfv(GL_LIGHT0, GL_SPOT_DIRECTION, v);
    EXPECT_FLOAT_EQ(v[2], -1.0f);
    glGetLightfv(GL_LIGHT1, GL_SPOT_CUTOFF, v);
    EXPECT_FLOAT_EQ(v[0], 180.0f);
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, v);
    expectColour(v, 1, 1, 1, 1);
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, v);
    expectColour(v, 0, 0, 0, 1);
    glGetLightfv(GL_LIGHT1, GL_DIFFUSE, v);
    expectColour(v, 0.2f, 0.2f, 0.2f, 1);
    glGetLightfv(GL_LIGHT1, GL_SPECULAR, v);
    expectColour(v, 0, 0, 1, 1);
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, v);
    expectColour(v, 0, 0, 0, 1);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
}

TEST(SceneSetup, FixedFunctionStateForTheFirstFrame) {
    setUpScene();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_POINT_SPRITE));
    GLint value;
    glGetIntegerv(GL_BLEND_SRC, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_BACK);
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LESS);
    float material[4];
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, material);
    expectColour(material, 1, 1, 1, 1);
    glGetMaterialfv(GL_BACK, GL_SHININESS, material);
    EXPECT_FLOAT_EQ(material[0], 128.0f);
    float clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    expectColour(clear, 0, 0, 0, 0);
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), scene.waterProgram);
    EXPECT_NE(scene.waterProgram, 0u);

    // Unit 0: texturing on, the sand bound, modulate. Unit 1: generation on,
    // texturing off.
    glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
    EXPECT_EQ(value, GL_TEXTURE0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<GLuint>(value), scene.sandTexture);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(value, GL_MODULATE);
    glGetTexEnviv(GL_POINT_SPRITE, GL_COORD_REPLACE, &value);
    EXPECT_EQ(value, GL_TRUE);
    glGetIntegerv(GL_POINT_SPRITE_COORD_ORIGIN, &value);
    EXPECT_EQ(value, GL_LOWER_LEFT);
    glActiveTexture(GL_TEXTURE1);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_T));
    // The caustic pattern's coordinates: object-linear, s = 0.35 x + 0.21 y,
    // t = 0.21 y + 0.35 z.
    for (GLenum coord : {GL_S, GL_T}) {
        glGetTexGeniv(coord, GL_TEXTURE_GEN_MODE, &value);
        EXPECT_EQ(value, GL_OBJECT_LINEAR);
    }
    float plane[4];
    glGetTexGenfv(GL_S, GL_OBJECT_PLANE, plane);
    expectColour(plane, 0.35f, 0.21f, 0, 0);
    glGetTexGenfv(GL_T, GL_OBJECT_PLANE, plane);
    expectColour(plane, 0, 0.21f, 0.35f, 0);
    glActiveTexture(GL_TEXTURE0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(SceneSetup, ConstantsAndCamera) {
    setUpScene();
    EXPECT_FLOAT_EQ(cameraPosition.x, 0);
    EXPECT_FLOAT_EQ(cameraPosition.y, 5);
    EXPECT_FLOAT_EQ(cameraPosition.z, 40);
    EXPECT_FLOAT_EQ(cameraForward.z, -1);
    EXPECT_FLOAT_EQ(scene.tankRadius, 12.8f);
    EXPECT_FLOAT_EQ(scene.sceneOffset.x, -11.182f);
    EXPECT_FLOAT_EQ(scene.sceneOffset.y, -6.03f);
    EXPECT_FLOAT_EQ(scene.tankCentre.y, 4.9f);
    EXPECT_FLOAT_EQ(scene.waterSurfacePosition.z, -1.37f);
    EXPECT_FLOAT_EQ(scene.stencilDiskPosition.z, 28.9f);
    EXPECT_NE(scene.sharedQuadric, nullptr);
    EXPECT_NE(scene.sandTexture, 0u);
    EXPECT_NE(scene.bubbleTexture, scene.sandTexture);
}

TEST(SceneSetup, WithoutShaderObjectsTheSceneStillDraws) {
    ensureHeadlessContext();
    disableShaderObjects();
    setUpScene();
    EXPECT_EQ(scene.waterProgram, 0u);
    for (int i = 0; i < 5; ++i) {
        headlessAdvanceSeconds(0.05);
        renderFrame();
    }
    EXPECT_EQ(drainGlErrors(), 0);
    auto frame = readColour();
    int lit = 0;
    for (size_t i = 0; i < frame.size(); i += 4) {
        lit += frame[i] + frame[i + 1] + frame[i + 2] > 60;
    }
    EXPECT_GT(lit, 20000);
}

} // namespace
