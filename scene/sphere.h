#pragma once
// A sphere with its poles on the Z axis, as triangle strips from the +Z pole to
// the -Z pole. The generator hands every strip and vertex to the caller, so the
// geometry can be drawn or inspected without a context.
#include <cmath>

#include "camera/vecmath.h"

struct SphereVertex {
    float u, v;     // texture coordinate
    Vec3 normal;    // unit length
    Vec3 position;  // radius * normal
};

constexpr float kSinglePi = 3.14159265f;

// Calls beginStrip(), then vertex(SphereVertex) for each of the 2 * (slices + 1)
// vertices of a strip, then endStrip(), once per stack. Nothing when stacks <= 0.
// The last column uses theta = 0, repeating the first column exactly.
template <class BeginStrip, class EmitVertex, class EndStrip>
void generateSphere(float radius, int slices, int stacks, BeginStrip beginStrip,
                    EmitVertex vertex, EndStrip endStrip) {
    if (stacks <= 0) {
        return;
    }
    float dPhi = kSinglePi / static_cast<float>(stacks);
    float dTheta = 2.0f * kSinglePi / static_cast<float>(slices);
    float du = 1.0f / static_cast<float>(slices);
    float dv = 1.0f / static_cast<float>(stacks);
    float v = 1.0f;
    for (int i = 0; i < stacks; ++i) {
        float phi0 = static_cast<float>(i) * dPhi;
        float phi1 = phi0 + dPhi;
        float sin0 = std::sin(phi0), cos0 = std::cos(phi0);
        float sin1 = std::sin(phi1), cos1 = std::cos(phi1);
        beginStrip();
        float u = 0.0f;
        for (int j = 0; j <= slices; ++j) {
            float theta = (j == slices) ? 0.0f : static_cast<float>(j) * dTheta;
            float s = std::sin(theta), c = std::cos(theta);
            Vec3 n0 = {-s * sin0, c * sin0, cos0};
            Vec3 n1 = {-s * sin1, c * sin1, cos1};
            vertex(SphereVertex{u, v, n0, {radius * n0.x, radius * n0.y, radius * n0.z}});
            vertex(SphereVertex{u, v - dv, n1, {radius * n1.x, radius * n1.y, radius * n1.z}});
            u += du;
        }
        endStrip();
        v -= dv;
    }
}
