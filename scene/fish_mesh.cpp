#include "scene/fish_mesh.h"

#include <cmath>

#include "scene/sphere.h"

namespace {

// Where a piece's vertices go: position scaled then moved, normal divided by
// the same scale (the inverse transpose of a scale), or turned by -90 degrees
// about Y with the tail.
struct Placement {
    float scale[3];
    float offset[3];
    bool turnedForTail;
};

FishMeshVertex placeVertex(const Placement& at, const float p[3], const float n[3]) {
    FishMeshVertex v{};
    if (at.turnedForTail) {
        // A turn of -90 degrees about Y takes (x, y, z) to (-z, y, x).
        float turned[3] = {-p[2], p[1], p[0]};
        float turnedNormal[3] = {-n[2], n[1], n[0]};
        for (int i = 0; i < 3; ++i) {
            v.position[i] = turned[i] + at.offset[i];
            v.normal[i] = turnedNormal[i];
        }
        v.across[0] = p[0];
        v.across[1] = p[1];
        return v;
    }
    for (int i = 0; i < 3; ++i) {
        v.position[i] = p[i] * at.scale[i] + at.offset[i];
        v.normal[i] = n[i] / at.scale[i];
    }
    return v;
}

bool samePosition(const FishMeshVertex& a, const FishMeshVertex& b) {
    return a.position[0] == b.position[0] && a.position[1] == b.position[1] && a.position[2] == b.position[2];
}

// Adds a triangle unless two of its corners coincide: such a triangle covers
// no pixel (the sphere's poles make them).
void addTriangle(FishMesh& mesh, int a, int b, int c) {
    const auto& v = mesh.vertices;
    if (samePosition(v[a], v[b]) || samePosition(v[b], v[c]) || samePosition(v[a], v[c])) {
        return;
    }
    for (int index : {a, b, c}) {
        mesh.indices.push_back(static_cast<uint16_t>(index));
    }
}

// The triangles of a strip whose vertices start at FIRST: every other one
// swaps its first two corners, as GL does, so all keep the strip's winding.
void addStripTriangles(FishMesh& mesh, int first, int count) {
    for (int k = 0; k + 2 < count; ++k) {
        int i = first + k;
        if (k % 2 == 0) {
            addTriangle(mesh, i, i + 1, i + 2);
        } else {
            addTriangle(mesh, i + 1, i, i + 2);
        }
    }
}

FishMesh buildSphereMesh(float radius, int slices, int stacks, const Placement& at) {
    FishMesh mesh;
    int stripStart = 0;
    generateSphere(
        radius, slices, stacks, [&] { stripStart = static_cast<int>(mesh.vertices.size()); },
        [&](const SphereVertex& s) {
            float p[3] = {s.position.x, s.position.y, s.position.z};
            float n[3] = {s.normal.x, s.normal.y, s.normal.z};
            mesh.vertices.push_back(placeVertex(at, p, n));
        },
        [&] { addStripTriangles(mesh, stripStart, static_cast<int>(mesh.vertices.size()) - stripStart); });
    return mesh;
}

} // namespace

FishMesh buildFishBodyMesh() { return buildSphereMesh(1.0f, 6, 3, {{1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f}, false}); }

FishMesh buildFishEyesMesh() {
    return buildSphereMesh(0.5f, 30, 15, {{0.5f, 0.5f, 1.5f}, {-0.3f, 0.25f, 0.0f}, false});
}

namespace {

// The tail's sizes; its normals lean along Z by how fast the radius shrinks.
constexpr double kTailBase = 1.0, kTailTop = 0.3, kTailHeight = 0.5;

float tailNormalOutward() {
    double slant = std::sqrt((kTailBase - kTailTop) * (kTailBase - kTailTop) + kTailHeight * kTailHeight);
    return static_cast<float>(kTailHeight / slant);
}

float tailNormalAlongZ() {
    double slant = std::sqrt((kTailBase - kTailTop) * (kTailBase - kTailTop) + kTailHeight * kTailHeight);
    return static_cast<float>((kTailBase - kTailTop) / slant);
}

} // namespace

void findFishLeftovers(float normal[3], float texCoord[2]) {
    // The last column of the funnel repeats its first, at angle 0 (+Y).
    normal[0] = 0.0f;
    normal[1] = tailNormalOutward();
    normal[2] = tailNormalAlongZ();
    generateSphere(
        0.5f, 30, 15, [] {},
        [&](const SphereVertex& v) {
            texCoord[0] = v.u;
            texCoord[1] = v.v;
        },
        [] {});
}

// The funnel runs along +Z from the base radius at z = 0 to the top radius at
// the height, split into stacks along and slices around, angle 0 on +Y and
// growing towards +X. Each stack is a band of quads, a vertex at the near
// edge then one at the far edge per column, the last column repeating the
// first.
FishMesh buildFishTailMesh() {
    const double base = kTailBase, top = kTailTop, height = kTailHeight;
    const int slices = 4, stacks = 2;
    const Placement at = {{1.0f, 1.0f, 1.0f}, {1.0f, 0.0f, 0.0f}, true};
    float alongZ = tailNormalAlongZ();
    float outward = tailNormalOutward();
    FishMesh mesh;
    for (int j = 0; j < stacks; ++j) {
        float zNear = static_cast<float>(j * height / stacks);
        float zFar = static_cast<float>((j + 1) * height / stacks);
        float rNear = static_cast<float>(base - (base - top) * (static_cast<float>(j) / stacks));
        float rFar = static_cast<float>(base - (base - top) * (static_cast<float>(j + 1) / stacks));
        int first = static_cast<int>(mesh.vertices.size());
        for (int i = 0; i <= slices; ++i) {
            float angle = static_cast<float>(2.0 * M_PI * (i % slices) / slices);
            float s = static_cast<float>(std::sin(angle)), c = static_cast<float>(std::cos(angle));
            float n[3] = {outward * s, outward * c, alongZ};
            float nearCorner[3] = {rNear * s, rNear * c, zNear};
            float farCorner[3] = {rFar * s, rFar * c, zFar};
            mesh.vertices.push_back(placeVertex(at, nearCorner, n));
            mesh.vertices.push_back(placeVertex(at, farCorner, n));
        }
        // Each quad (near i, far i, far i+1, near i+1) splits along the
        // diagonal from near i to far i+1, the split the rasteriser makes of
        // such a band, so the normals blend across it the same way.
        for (int i = 0; i < slices; ++i) {
            int nearA = first + 2 * i, farA = nearA + 1, nearB = nearA + 2, farB = nearA + 3;
            addTriangle(mesh, nearA, farA, farB);
            addTriangle(mesh, nearA, farB, nearB);
        }
    }
    return mesh;
}
