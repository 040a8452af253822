#include "camera/camera.h"

#include "platform/gl_api.h"
#include "platform/platform.h"

Pose camera;
DeltaClock cameraClock = startDeltaClock(true);

namespace {

// Adds direction * distance component by component, x then y then z.
void moveAlong(const Vec3& direction, float distance) {
    cameraPosition.x += direction.x * distance;
    cameraPosition.y += direction.y * distance;
    cameraPosition.z += direction.z * distance;
}

} // namespace

void updateCamera() {
    float dt = readAndRestart(cameraClock);
    float m = dt * moveSpeed;
    float turn = dt * turnSpeed;
    if (platformIsKeyPressed('W')) moveAlong(cameraForward, m);
    if (platformIsKeyPressed('S')) moveAlong(cameraForward, -m);
    if (platformIsKeyPressed('Q')) cameraStrafe(m);
    if (platformIsKeyPressed('E')) cameraStrafe(-m);
    if (platformIsKeyPressed('A')) cameraYaw(turn);
    if (platformIsKeyPressed('D')) cameraYaw(-turn);
    if (platformIsKeyPressed(KEY_UP_ARROW)) moveAlong(cameraUp, m);
    if (platformIsKeyPressed(KEY_DOWN_ARROW)) moveAlong(cameraUp, -m);
    if (platformIsKeyPressed('F')) cameraPitch(turn);
    if (platformIsKeyPressed('R')) cameraPitch(-turn);
    if (platformIsKeyPressed(KEY_LEFT_ARROW)) cameraRoll(-turn);
    if (platformIsKeyPressed(KEY_RIGHT_ARROW)) cameraRoll(turn);
}

void dragCamera(int dx, int dy) {
    cameraYaw(-static_cast<float>(dx) * kDragRadiansPerPixel);
    cameraPitch(static_cast<float>(dy) * kDragRadiansPerPixel);
}

void wheelCamera(int notches) { moveAlong(cameraForward, static_cast<float>(notches) * kWheelUnitsPerNotch); }

void cameraStrafe(float distance) {
    moveAlong(cross(cameraUp, cameraForward), distance);
}

void cameraPitch(float angle) {
    Vec3 axis = cross(cameraUp, cameraForward);
    Mat4 r = axisAngleMatrix(angle, axis.x, axis.y, axis.z);
    Vec3 forward = rotateVector(r, cameraForward);
    Vec3 up = rotateVector(r, cameraUp);
    cameraForward = forward;
    cameraUp = up;
}

void cameraYaw(float angle) {
    Mat4 r = axisAngleMatrix(angle, cameraUp.x, cameraUp.y, cameraUp.z);
    cameraForward = rotateVector(r, cameraForward);
}

void cameraRoll(float angle) {
    Mat4 r = axisAngleMatrix(angle, cameraForward.x, cameraForward.y, cameraForward.z);
    cameraUp = rotateVector(r, cameraUp);
}

void applyCameraView() {
    const Vec3& f = cameraForward;
    const Vec3& u = cameraUp;
    // f x u, written as u x (-f); neither vector is normalised.
    Vec3 s = cross(u, {-f.x, -f.y, -f.z});
    const float view[16] = {
        s.x, u.x, -f.x, 0.0f,
        s.y, u.y, -f.y, 0.0f,
        s.z, u.z, -f.z, 0.0f,
        0.0f, 0.0f, 0.0f, 1.0f,
    };
    glMultMatrixf(view);
    glTranslatef(-cameraPosition.x, -cameraPosition.y, -cameraPosition.z);
}
