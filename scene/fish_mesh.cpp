#include "scene/fish_mesh.h"

#include <array>
#include <cmath>
#include <cstring>
#include <map>

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

// A mesh being built: a vertex met again (neighbouring strips share a row,
// a pole repeats) is stored once, so it is transformed once.
struct MeshBuilder {
    FishMesh mesh;
    std::map<std::array<float, 8>, uint16_t> known;

    uint16_t add(const FishMeshVertex& v) {
        std::array<float, 8> key;
        std::memcpy(key.data(), &v, sizeof key);
        auto found = known.find(key);
        if (found != known.end()) {
            return found->second;
        }
        auto index = static_cast<uint16_t>(mesh.vertices.size());
        mesh.vertices.push_back(v);
        known.emplace(key, index);
        return index;
    }

    bool samePosition(uint16_t a, uint16_t b) const {
        return std::memcmp(mesh.vertices[a].position, mesh.vertices[b].position, sizeof(float[3])) == 0;
    }

    // Adds a triangle unless two of its corners coincide: such a triangle
    // covers no pixel (the sphere's poles make them).
    void addTriangle(uint16_t a, uint16_t b, uint16_t c) {
        if (samePosition(a, b) || samePosition(b, c) || samePosition(a, c)) {
            return;
        }
        mesh.indices.insert(mesh.indices.end(), {a, b, c});
    }

    // The triangles of a strip: every other one swaps its first two corners,
    // as GL does, so all keep the strip's winding.
    void addStrip(const std::vector<uint16_t>& strip) {
        for (size_t k = 0; k + 2 < strip.size(); ++k) {
            if (k % 2 == 0) {
                addTriangle(strip[k], strip[k + 1], strip[k + 2]);
            } else {
                addTriangle(strip[k + 1], strip[k], strip[k + 2]);
            }
        }
    }
};

FishMesh buildSphereMesh(float radius, int slices, int stacks, const Placement& at) {
    MeshBuilder builder;
    std::vector<uint16_t> strip;
    generateSphere(
        radius, slices, stacks, [&] { strip.clear(); },
        [&](const SphereVertex& s) {
            float p[3] = {s.position.x, s.position.y, s.position.z};
            float n[3] = {s.normal.x, s.normal.y, s.normal.z};
            strip.push_back(builder.add(placeVertex(at, p, n)));
        },
        [&] { builder.addStrip(strip); });
    return builder.mesh;
}

} // namespace

FishMesh buildFishBodyMesh() { return buildSphereMesh(1.0f, 6, 3, {{1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f}, false}); }

namespace {

// A face's plane: the unit normal pointing out of the body, and the offset
// that makes the signed distance n . p + d.
struct FacePlane {
    float n[3];
    float d;
};

// The planes of the body's faces. The sphere's far pole is a ring of points
// a rounding error apart, so the slivers there make no plane.
std::vector<FacePlane> bodyFacePlanes(const FishMesh& body) {
    std::vector<FacePlane> planes;
    for (size_t t = 0; t + 2 < body.indices.size(); t += 3) {
        const float* a = body.vertices[body.indices[t]].position;
        const float* b = body.vertices[body.indices[t + 1]].position;
        const float* c = body.vertices[body.indices[t + 2]].position;
        float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        // Counter-clockwise seen from outside: u x v points out.
        float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length < 1e-3f) {
            continue;
        }
        FacePlane plane = {{n[0] / length, n[1] / length, n[2] / length}, 0.0f};
        plane.d = -(plane.n[0] * a[0] + plane.n[1] * a[1] + plane.n[2] * a[2]);
        planes.push_back(plane);
    }
    return planes;
}

bool insideAll(const std::vector<FacePlane>& planes, const float p[3]) {
    for (const FacePlane& plane : planes) {
        // Clear of the face by a margin, so nothing that could touch it goes.
        if (plane.n[0] * p[0] + plane.n[1] * p[1] + plane.n[2] * p[2] + plane.d > -1e-4f) {
            return false;
        }
    }
    return true;
}

} // namespace

FishMesh buildFishEyesMesh() {
    FishMesh all = buildSphereMesh(0.5f, 30, 15, {{0.5f, 0.5f, 1.5f}, {-0.3f, 0.25f, 0.0f}, false});
    // The body is a convex solid whose outside faces are drawn opaque, so
    // from outside it hides everything within it; the eyes show only where
    // they poke through its facets (about 50 of their 850 triangles).
    std::vector<FacePlane> planes = bodyFacePlanes(buildFishBodyMesh());
    MeshBuilder kept;
    for (size_t t = 0; t + 2 < all.indices.size(); t += 3) {
        const FishMeshVertex* corners[3] = {&all.vertices[all.indices[t]], &all.vertices[all.indices[t + 1]],
                                            &all.vertices[all.indices[t + 2]]};
        if (insideAll(planes, corners[0]->position) && insideAll(planes, corners[1]->position) &&
            insideAll(planes, corners[2]->position)) {
            continue;
        }
        kept.addTriangle(kept.add(*corners[0]), kept.add(*corners[1]), kept.add(*corners[2]));
    }
    return kept.mesh;
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
    MeshBuilder builder;
    for (int j = 0; j < stacks; ++j) {
        float zNear = static_cast<float>(j * height / stacks);
        float zFar = static_cast<float>((j + 1) * height / stacks);
        float rNear = static_cast<float>(base - (base - top) * (static_cast<float>(j) / stacks));
        float rFar = static_cast<float>(base - (base - top) * (static_cast<float>(j + 1) / stacks));
        std::vector<uint16_t> band;
        for (int i = 0; i <= slices; ++i) {
            float angle = static_cast<float>(2.0 * M_PI * (i % slices) / slices);
            float s = static_cast<float>(std::sin(angle)), c = static_cast<float>(std::cos(angle));
            float n[3] = {outward * s, outward * c, alongZ};
            float nearCorner[3] = {rNear * s, rNear * c, zNear};
            float farCorner[3] = {rFar * s, rFar * c, zFar};
            band.push_back(builder.add(placeVertex(at, nearCorner, n)));
            band.push_back(builder.add(placeVertex(at, farCorner, n)));
        }
        // Each quad (near i, far i, far i+1, near i+1) splits along the
        // diagonal from near i to far i+1, the split the rasteriser makes of
        // such a band, so the normals blend across it the same way.
        for (size_t i = 0; i + 3 < band.size(); i += 2) {
            uint16_t nearA = band[i], farA = band[i + 1], nearB = band[i + 2], farB = band[i + 3];
            builder.addTriangle(nearA, farA, farB);
            builder.addTriangle(nearA, farB, nearB);
        }
    }
    return builder.mesh;
}
