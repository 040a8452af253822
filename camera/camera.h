#pragma once
// The viewer's free-fly camera: six degrees of freedom, no limits, moved by the
// keyboard once per frame at speeds scaled by the time since the last update.
#include "app/clock.h"
#include "camera/vecmath.h"

// The camera pose, valid from static initialisation on; the scene set-up
// places it once, afterwards only updateCamera changes it.
extern Pose camera;
inline Vec3& cameraPosition = camera.position;
inline Vec3& cameraForward = camera.forward;
inline Vec3& cameraUp = camera.up;

// Started during static initialisation, so the first update covers the whole
// start-up time.
extern DeltaClock cameraClock;

constexpr float moveSpeed = 5.0f;  // scene units per second
constexpr float turnSpeed = 1.0f;  // radians per second

// Virtual-key codes polled by updateCamera.
enum CameraKey {
    KEY_LEFT_ARROW = 37,
    KEY_UP_ARROW = 38,
    KEY_RIGHT_ARROW = 39,
    KEY_DOWN_ARROW = 40,
};

// The twelve keys updateCamera polls, in its order.
constexpr int kFlyingKeys[] = {'W', 'S', 'Q', 'E', 'A', 'D', KEY_UP_ARROW, KEY_DOWN_ARROW, 'F', 'R',
                               KEY_LEFT_ARROW, KEY_RIGHT_ARROW};

// Reads the camera clock and applies the twelve keys in their fixed order:
// W S (forward/back), Q E (slide left/right), A D (yaw), Up Down (rise/sink),
// F R (pitch), Left Right (roll). Each key acts on the pose the previous left.
void updateCamera();
// The mouse, at rates that feel like the keys: a drag of DX pixels rightwards
// turns right and DY downwards tips the view down, 0.005 radians a pixel (a
// 200-pixel drag turns as far as a key held for a second); each wheel notch
// away from the user flies 1 unit forward, towards the user back.
constexpr float kDragRadiansPerPixel = 0.005f;
constexpr float kWheelUnitsPerNotch = 1.0f;
void dragCamera(int dx, int dy);
void wheelCamera(int notches);
// Multiplies the view transform of the camera onto the current GL matrix.
void applyCameraView();
// Moves the camera by distance along up x forward (the viewer's left).
void cameraStrafe(float distance);
// Turns about up x forward; positive tips the view down.
void cameraPitch(float angle);
// Turns about the camera's own up; positive turns left.
void cameraYaw(float angle);
// Turns up about forward; positive tilts up towards the viewer's right.
void cameraRoll(float angle);
