#pragma once
// Vectors, column-major 4x4 matrices and poses, in single precision.

// A point or direction in scene units.
struct Vec3 {
    float x;
    float y;
    float z;
};

// Column-major: row r, column c at index 4*c + r; handed to glMultMatrixf as stored.
struct Mat4 {
    float m[16];
};

// Where an object is and which way it faces. forward and up are meant to be
// unit length and perpendicular; only orthonormalizePose restores that.
struct Pose {
    Vec3 position = {0.0f, 0.0f, 0.0f};
    Vec3 forward = {0.0f, 0.0f, -1.0f};
    Vec3 up = {0.0f, 1.0f, 0.0f};
};

// Right-handed cross product a x b.
Vec3 cross(const Vec3& a, const Vec3& b);

// Counter-clockwise rotation by angle (radians) about the axis (x, y, z) of any
// length, the matrix glRotatef builds for the same angle in degrees. An axis of
// exactly zero length gives the identity.
Mat4 axisAngleMatrix(float angle, float x, float y, float z);

// Rotates a direction by the upper 3x3 of m, treating v as a column vector.
Vec3 rotateVector(const Mat4& m, const Vec3& v);

// Model matrix of a pose: model +X to up x forward, +Y to up, +Z to forward,
// the origin to position. Nothing is normalised.
Mat4 poseMatrix(const Pose& pose);

// Makes forward perpendicular to up, then both unit length; up keeps its
// direction, forward is the one bent. position is left alone. A zero up, or a
// forward parallel to up, gives non-finite components.
void orthonormalizePose(Pose& pose);
