#include "camera/vecmath.h"

#include <cmath>

Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Mat4 axisAngleMatrix(float angle, float x, float y, float z) {
    float s = std::sin(angle);
    float c = std::cos(angle);
    float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f) {
        return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    }
    x /= length;
    y /= length;
    z /= length;
    float t = 1.0f - c;
    return {{
        t * x * x + c,     t * x * y + s * z, t * x * z - s * y, 0.0f,
        t * x * y - s * z, t * y * y + c,     t * y * z + s * x, 0.0f,
        t * x * z + s * y, t * y * z - s * x, t * z * z + c,     0.0f,
        0.0f,              0.0f,              0.0f,              1.0f,
    }};
}

Vec3 rotateVector(const Mat4& m, const Vec3& v) {
    return {
        m.m[0] * v.x + m.m[4] * v.y + m.m[8] * v.z,
        m.m[1] * v.x + m.m[5] * v.y + m.m[9] * v.z,
        m.m[2] * v.x + m.m[6] * v.y + m.m[10] * v.z,
    };
}

Mat4 poseMatrix(const Pose& pose) {
    Vec3 side = cross(pose.up, pose.forward);
    const Vec3& u = pose.up;
    const Vec3& f = pose.forward;
    const Vec3& p = pose.position;
    return {{
        side.x, side.y, side.z, 0.0f,
        u.x,    u.y,    u.z,    0.0f,
        f.x,    f.y,    f.z,    0.0f,
        p.x,    p.y,    p.z,    1.0f,
    }};
}

namespace {

Vec3 scaleToUnit(const Vec3& v) {
    float inverse = 1.0f / std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x * inverse, v.y * inverse, v.z * inverse};
}

} // namespace

void orthonormalizePose(Pose& pose) {
    Vec3 side = cross(pose.up, pose.forward);
    // Uses the up vector before normalising, so forward comes out scaled by
    // |up|^2; the normalisation below removes that.
    pose.forward = cross(side, pose.up);
    pose.up = scaleToUnit(pose.up);
    pose.forward = scaleToUnit(pose.forward);
}
