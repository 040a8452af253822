// The grid room rendered on the headless context and read back.
#include <gtest/gtest.h>

#include <cmath>

#include "app/viewport.h"
#include "camera/camera.h"
#include "platform/gl_api.h"
#include "scene/frame.h"
#include "scene/setup.h"
#include "tests/gl_harness.h"

namespace {

class GridFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureHeadlessContext();
        initScene();
        resizeViewport(kFrameWidth, kFrameHeight);
    }

    // Window position of a world point seen through the current camera.
    static bool project(float x, float y, float z, int* wx, int* wy) {
        glPushMatrix();
        applyCameraView();
        float fx, fy;
        bool visible = projectToWindow(x, y, z, &fx, &fy);
        glPopMatrix();
        *wx = static_cast<int>(fx);
        *wy = static_cast<int>(fy);
        return visible && *wx >= 1 && *wy >= 1 && *wx < kFrameWidth - 1 && *wy < kFrameHeight - 1;
    }

    // True when some pixel within one pixel of (x, y) satisfies the test.
    template <class Test>
    static bool near(const std::vector<uint8_t>& frame, int x, int y, Test test) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (test(pixelAt(frame, x + dx, y + dy))) {
                    return true;
                }
            }
        }
        return false;
    }
};

// The caustic pattern on unit 1 darkens the lines by up to about two thirds.
bool isWhite(const Rgba& p) {
    return p.r > 60 && std::abs(p.r - p.g) < 20 && std::abs(p.g - p.b) < 20;
}
bool isGreen(const Rgba& p) { return p.g > 60 && p.r < p.g / 4 && p.b < p.g / 4; }
bool isBlack(const Rgba& p) { return p.r < 10 && p.g < 10 && p.b < 10; }

float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Where a world point lands in window pixels for the camera's pose, worked out
// from the pose alone: right = forward x up, the 30 degree perspective of
// resizeViewport at 800 x 600. Not through applyCameraView, so a fault in the
// view matrix shows up as a mismatch.
bool projectByHand(const Vec3& p, int* wx, int* wy) {
    Vec3 d = {p.x - camera.position.x, p.y - camera.position.y, p.z - camera.position.z};
    float depth = dot(camera.forward, d);
    float focal = 1.0f / std::tan(static_cast<float>(M_PI) / 12.0f);
    float aspect = static_cast<float>(kFrameWidth) / kFrameHeight;
    float nx = focal / aspect * dot(cross(camera.forward, camera.up), d) / depth;
    float ny = focal * dot(camera.up, d) / depth;
    *wx = static_cast<int>((nx + 1.0f) * 0.5f * kFrameWidth);
    *wy = static_cast<int>((ny + 1.0f) * 0.5f * kFrameHeight);
    return depth > 0.0f && *wx >= 1 && *wy >= 1 && *wx < kFrameWidth - 1 && *wy < kFrameHeight - 1;
}

TEST_F(GridFrameTest, StartPoseShowsAxisLinesLatticeAndBlackBackground) {
    EXPECT_FLOAT_EQ(cameraPosition.z, 40.0f);
    // The set-up leaves the water program current, so the very first frame's
    // room is drawn through it; from the second frame on it is plain lines.
    renderFrame();
    renderFrame();
    auto frame = readColour();

    int x, y;
    // The floor's white axis line along z at x = 0, in front of the eye.
    ASSERT_TRUE(project(0, 0, 20, &x, &y));
    EXPECT_TRUE(near(frame, x, y, isWhite)) << "axis line at " << x << "," << y;
    // Green lattice lines x = 5 on the floor and y... the far wall's lattice.
    ASSERT_TRUE(project(5, 0, 20, &x, &y));
    EXPECT_TRUE(near(frame, x, y, isGreen)) << "lattice at " << x << "," << y;
    ASSERT_TRUE(project(-3, 0, 20, &x, &y));
    EXPECT_TRUE(near(frame, x, y, isGreen));
    // Between lattice lines the floor is black.
    ASSERT_TRUE(project(2.5f, 0, 19.5f, &x, &y));
    EXPECT_TRUE(isBlack(pixelAt(frame, x, y)));

    // The floor in front of the tank, the bottom 60 rows: black between lines.
    int black = 0;
    for (size_t i = 0; i < static_cast<size_t>(kFrameWidth) * 60 * 4; i += 4) {
        black += frame[i] < 10 && frame[i + 1] < 10 && frame[i + 2] < 10;
    }
    EXPECT_GT(black, kFrameWidth * 60 * 6 / 10) << "background should be mostly black";
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST_F(GridFrameTest, WallsCeilingAndFloorSurroundTheEye) {
    // Looking straight up and straight down, and at each wall, lines appear.
    auto countLit = [](const std::vector<uint8_t>& frame) {
        int lit = 0;
        for (size_t i = 0; i < frame.size(); i += 4) {
            lit += frame[i + 1] > 100;
        }
        return lit;
    };
    for (int turn = 0; turn < 4; ++turn) {
        renderFrame();
        EXPECT_GT(countLit(readColour()), 1000) << "wall " << turn;
        cameraYaw(static_cast<float>(M_PI / 2));
    }
    cameraPitch(static_cast<float>(M_PI / 2));  // looking down at the floor
    renderFrame();
    EXPECT_GT(countLit(readColour()), 1000);
    cameraPitch(static_cast<float>(M_PI));  // over the top: the ceiling
    renderFrame();
    EXPECT_GT(countLit(readColour()), 1000);
    EXPECT_EQ(drainGlErrors(), 0);
}

// Every other picture starts from the default pose, whose view is the
// identity, so a transposed or mis-signed view matrix would pass them.
TEST_F(GridFrameTest, TurnedAndPitchedCameraSeesTheWallCrossWhereItsPoseSays) {
    cameraPosition = {-4.0f, 46.0f, 22.0f};
    cameraYaw(static_cast<float>(M_PI) + 0.25f);  // round to face +z, then a little left
    cameraPitch(-0.1f);                           // nose up
    renderFrame();
    renderFrame();
    auto frame = readColour();
    // The white cross of the wall at z = +50 and a point on each of its arms.
    for (Vec3 p : {Vec3{0, 50, 50}, Vec3{0, 54, 50}, Vec3{-4, 50, 50}}) {
        int x, y;
        ASSERT_TRUE(projectByHand(p, &x, &y)) << p.x << "," << p.y << "," << p.z;
        EXPECT_TRUE(near(frame, x, y, isWhite)) << p.x << "," << p.y << "," << p.z << " at " << x << "," << y;
    }
    EXPECT_EQ(drainGlErrors(), 0);
}

// From near the middle of the room, facing each wall and the ceiling in turn,
// that surface's white cross and its arms lie where its placement puts them.
// The eye sits off the centre line, so a plane that is turned, shifted within
// itself or moved nearer or farther shows its cross elsewhere.
TEST_F(GridFrameTest, EachPlacedPlaneShowsItsCrossWhereItMust) {
    struct View {
        Vec3 centre, forward, up, arm1, arm2;
    };
    const View views[] = {
        {{0, 100, 0}, {0, 1, 0}, {0, 0, -1}, {1, 0, 0}, {0, 0, 1}},   // ceiling
        {{0, 50, -50}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}, {0, 1, 0}},  // wall at z = -50
        {{0, 50, 50}, {0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {0, 1, 0}},    // wall at z = +50
        {{50, 50, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 1, 0}},    // wall at x = +50
        {{-50, 50, 0}, {-1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 1, 0}},  // wall at x = -50
    };
    for (const View& view : views) {
        camera.position = {4, 54, 4};
        camera.forward = view.forward;
        camera.up = view.up;
        renderFrame();
        renderFrame();
        auto frame = readColour();
        const Vec3& c = view.centre;
        for (float t : {0.0f, 4.0f, -4.0f}) {
            for (Vec3 p : {Vec3{c.x + t * view.arm1.x, c.y + t * view.arm1.y, c.z + t * view.arm1.z},
                           Vec3{c.x + t * view.arm2.x, c.y + t * view.arm2.y, c.z + t * view.arm2.z}}) {
                int x, y;
                ASSERT_TRUE(projectByHand(p, &x, &y));
                EXPECT_TRUE(near(frame, x, y, isWhite))
                    << "cross of the plane at " << c.x << "," << c.y << "," << c.z << ": " << p.x << ","
                    << p.y << "," << p.z << " at " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST_F(GridFrameTest, FrameLeavesTheModelViewStackAsItFoundIt) {
    GLint depthBefore = 0, depthAfter = 0;
    float before[16], after[16];
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    for (int i = 0; i < 3; ++i) {
        renderFrame();
    }
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(depthBefore, depthAfter);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(before[i], after[i]);
    }
    EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST_F(GridFrameTest, ResizeSetsViewportAndAspect) {
    resizeViewport(400, 100);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 400);
    EXPECT_EQ(viewport[3], 100);
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    // gluPerspective: m[5] = cot(fov/2), m[0] = m[5] / aspect.
    float f = 1.0f / std::tan(static_cast<float>(M_PI) / 12.0f);
    EXPECT_NEAR(projection[5], f, 1e-4);
    EXPECT_NEAR(projection[0], f / 4.0f, 1e-4);

    // A zero height keeps the previous, finite projection.
    resizeViewport(400, 0);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[0], f / 4.0f, 1e-4);
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(drainGlErrors(), 0);
}

} // namespace
