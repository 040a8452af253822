// The free-fly camera driven through the headless key and counter controls.
#include <gtest/gtest.h>

#include <cmath>

#include "camera/camera.h"
#include "platform/headless/headless.h"

namespace {

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        headlessReleaseAllKeys();
        readAndRestart(cameraClock);  // forget the time since start-up
        camera = Pose{};
        cameraPosition = {0, 5, 40};
    }
    void TearDown() override { headlessReleaseAllKeys(); }

    // Holds the key for the given time and runs one update.
    static void hold(int key, double seconds) {
        headlessSetKey(key, true);
        headlessAdvanceSeconds(seconds);
        updateCamera();
        headlessSetKey(key, false);
    }
};

void expectVec(const Vec3& v, float x, float y, float z, float tolerance = 1e-4f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

TEST_F(CameraTest, TranslationKeysMoveFiveUnitsPerSecond) {
    hold('W', 1.0);
    expectVec(cameraPosition, 0, 5, 35);
    hold('S', 1.0);
    expectVec(cameraPosition, 0, 5, 40);
    hold('Q', 1.0);
    expectVec(cameraPosition, -5, 5, 40);
    hold('E', 1.0);
    expectVec(cameraPosition, 0, 5, 40);
    hold(KEY_UP_ARROW, 1.0);
    expectVec(cameraPosition, 0, 10, 40);
    hold(KEY_DOWN_ARROW, 1.0);
    expectVec(cameraPosition, 0, 5, 40);
}

TEST_F(CameraTest, SpeedDoesNotDependOnFrameRate) {
    headlessSetKey('W', true);
    for (int i = 0; i < 100; ++i) {
        headlessAdvanceSeconds(0.01);
        updateCamera();
    }
    expectVec(cameraPosition, 0, 5, 35, 1e-3f);
}

TEST_F(CameraTest, YawByPiTurnsAround) {
    hold('A', M_PI);
    expectVec(cameraForward, 0, 0, 1);
    expectVec(cameraUp, 0, 1, 0);
}

TEST_F(CameraTest, TurnDirectionsFromTheDefaultPose) {
    hold('A', 0.1);
    expectVec(cameraForward, -std::sin(0.1f), 0, -std::cos(0.1f));
    camera = Pose{};
    hold('D', 0.1);
    expectVec(cameraForward, std::sin(0.1f), 0, -std::cos(0.1f));
    camera = Pose{};
    hold('F', 0.1);  // nose down
    expectVec(cameraForward, 0, -std::sin(0.1f), -std::cos(0.1f));
    expectVec(cameraUp, 0, std::cos(0.1f), -std::sin(0.1f));
    camera = Pose{};
    hold(KEY_RIGHT_ARROW, 0.1);  // up tilts right
    expectVec(cameraUp, std::sin(0.1f), std::cos(0.1f), 0);
    camera = Pose{};
    hold(KEY_LEFT_ARROW, 0.1);
    expectVec(cameraUp, -std::sin(0.1f), std::cos(0.1f), 0);
}

TEST_F(CameraTest, PitchHasNoLimit) {
    hold('F', M_PI);  // half a turn: upside down, looking back
    expectVec(cameraForward, 0, 0, 1);
    expectVec(cameraUp, 0, -1, 0);
}

TEST_F(CameraTest, OpposingKeysCancel) {
    headlessSetKey('W', true);
    headlessSetKey('S', true);
    headlessAdvanceSeconds(1.0);
    updateCamera();
    expectVec(cameraPosition, 0, 5, 40);
}

TEST_F(CameraTest, KeysActInOrderOnThePoseLeftBefore) {
    // Yaw comes before pitch, so the pitch axis is the yawed side vector.
    headlessSetKey('A', true);
    headlessSetKey('F', true);
    headlessAdvanceSeconds(M_PI / 2);
    updateCamera();
    // Yaw left 90 degrees: forward (-1, 0, 0), side (0, 0, 1). Pitch 90 about it:
    // forward turns down to (0, -1, 0), up to (-1, 0, 0).
    expectVec(cameraForward, 0, -1, 0);
    expectVec(cameraUp, -1, 0, 0);

    // Forward is applied before yaw: W then A moves along the old forward.
    camera = Pose{};
    cameraPosition = {0, 5, 40};
    headlessReleaseAllKeys();
    headlessSetKey('W', true);
    headlessSetKey('A', true);
    headlessAdvanceSeconds(1.0);
    updateCamera();
    expectVec(cameraPosition, 0, 5, 35);
}

TEST_F(CameraTest, NoTimeNoMotion) {
    headlessSetKey('W', true);
    headlessSetKey('A', true);
    updateCamera();
    expectVec(cameraPosition, 0, 5, 40, 0);
    expectVec(cameraForward, 0, 0, -1, 0);
}

TEST_F(CameraTest, TapShorterThanAFrameCountsOnce) {
    headlessTapKey('W');
    headlessAdvanceSeconds(0.5);
    updateCamera();
    expectVec(cameraPosition, 0, 5, 37.5f);
    headlessAdvanceSeconds(0.5);
    updateCamera();
    expectVec(cameraPosition, 0, 5, 37.5f);
}

TEST(CameraStartUp, FirstUpdateCoversTimeSinceProgramStart) {
    // The camera clock started during static initialisation at counter 0.
    headlessAdvanceSeconds(2.0);
    headlessSetKey('W', true);
    Vec3 before = cameraPosition;
    updateCamera();
    EXPECT_NEAR(cameraPosition.z, before.z - 10.0f, 1e-4);
    headlessReleaseAllKeys();
}

} // namespace

TEST_F(CameraTest, TheMouseTurnsAndFliesAsTheKeysDo) {
    // 200 pixels to the right turn as D held for a second; 200 down tip the
    // view as F does.
    hold('D', 1.0);
    Pose byKeys = camera;
    camera = Pose{};
    cameraPosition = {0, 5, 40};
    dragCamera(200, 0);
    expectVec(cameraForward, byKeys.forward.x, byKeys.forward.y, byKeys.forward.z);
    camera = Pose{};
    hold('F', 1.0);
    byKeys = camera;
    camera = Pose{};
    dragCamera(0, 200);
    expectVec(cameraForward, byKeys.forward.x, byKeys.forward.y, byKeys.forward.z);
    expectVec(cameraUp, byKeys.up.x, byKeys.up.y, byKeys.up.z);
    // Two notches away fly 2 units forward, one towards the user 1 back.
    camera = Pose{};
    wheelCamera(2);
    wheelCamera(-1);
    expectVec(cameraPosition, 0.0f, 0.0f, -1.0f);
}
