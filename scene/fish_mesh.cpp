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
