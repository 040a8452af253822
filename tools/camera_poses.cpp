#include "tools/camera_poses.h"

#include <cmath>
#include <cstring>

namespace {

struct NamedPose {
    const char* name;
    Pose pose;
};

// Looking at the tank (its centre is near (1.6, 12, 1.6)) from the given eye.
Pose lookingAtTank(Vec3 eye, float targetY) {
    Vec3 d = {1.578f - eye.x, targetY - eye.y, 1.578f - eye.z};
    float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    Pose pose;
    pose.position = eye;
    pose.forward = {d.x / length, d.y / length, d.z / length};
    // Up perpendicular to forward, in the vertical plane through it.
    Vec3 side = cross({0.0f, 1.0f, 0.0f}, pose.forward);
    Vec3 up = cross(pose.forward, side);
    float upLength = std::sqrt(up.x * up.x + up.y * up.y + up.z * up.z);
    pose.up = {up.x / upLength, up.y / upLength, up.z / upLength};
    return pose;
}

const NamedPose* poses() {
    static const NamedPose table[] = {
        {"start", Pose{{0.0f, 5.0f, 40.0f}, {0.0f, 0.0f, -1.0f}, {0.0f, 1.0f, 0.0f}}},
        {"close", lookingAtTank({0.0f, 16.0f, 42.0f}, 10.0f)},
        {"above", lookingAtTank({-6.0f, 40.0f, 46.0f}, 10.0f)},
        {"side", lookingAtTank({-34.0f, 24.0f, 30.0f}, 8.0f)},
        {"top", lookingAtTank({1.0f, 60.0f, 22.0f}, 4.0f)},
        {nullptr, Pose{}},
    };
    return table;
}

} // namespace

bool findCameraPose(const char* name, Pose* pose) {
    for (const NamedPose* p = poses(); p->name != nullptr; ++p) {
        if (std::strcmp(p->name, name) == 0) {
            *pose = p->pose;
            return true;
        }
    }
    return false;
}

const char* cameraPoseNames() { return "start|close|above|side|top"; }
