#pragma once
// Helpers shared by the tests that render the whole scene.
#include "app/viewport.h"
#include "camera/camera.h"
#include "platform/gl_api.h"
#include "platform/headless/headless.h"
#include "scene/frame.h"
#include "scene/setup.h"
#include "scene/tank.h"
#include "tests/gl_harness.h"

// Sets the scene up in the current folder with the 800 x 600 viewport.
inline void setUpScene() {
    ensureHeadlessContext();
    initScene();
    resizeViewport(kFrameWidth, kFrameHeight);
}

// Projects a point given in the frame the tank passes are drawn in (camera
// view, then 2.5 up) to window pixels.
inline bool projectTankPoint(float x, float y, float z, int* wx, int* wy) {
    glPushMatrix();
    applyCameraView();
    glTranslatef(0.0f, 2.5f, 0.0f);
    float fx, fy;
    bool visible = projectToWindow(x, y, z, &fx, &fy);
    glPopMatrix();
    *wx = static_cast<int>(fx);
    *wy = static_cast<int>(fy);
    return visible && *wx >= 0 && *wy >= 0 && *wx < kFrameWidth && *wy < kFrameHeight;
}

// Clears the buffers and runs the stencil pass alone, placed as the frame
// places it. Leaves the stencil test as the pass leaves it.
inline void renderStencilPassOnly() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glPushMatrix();
    applyCameraView();
    glTranslatef(0.0f, 2.5f, 0.0f);
    glPushMatrix();
    drawWaterStencil();
    glPopMatrix();
    glPopMatrix();
}

// The colour a pixel most looks like, by its dominant channels.
enum class Hue { Black, Red, Orange, Yellow, Green, Blue, Cyan, Magenta, White, Other };

inline Hue hueOf(const Rgba& p) {
    int top = std::max(p.r, std::max(p.g, p.b));
    if (top < 40) return Hue::Black;
    auto high = [&](int c) { return c > top * 0.6; };
    auto low = [&](int c) { return c < top * 0.45; };
    bool r = high(p.r), g = high(p.g), b = high(p.b);
    if (r && g && b) return Hue::White;
    if (r && g && low(p.b)) return p.g > p.r * 0.85 ? Hue::Yellow : Hue::Orange;
    if (r && b && low(p.g)) return Hue::Magenta;
    if (g && b && low(p.r)) return Hue::Cyan;
    if (r && low(p.g) && low(p.b)) return Hue::Red;
    if (g && low(p.r) && low(p.b)) return Hue::Green;
    if (b && low(p.r) && low(p.g)) return Hue::Blue;
    if (r && p.g > top * 0.4 && low(p.b)) return Hue::Orange;
    return Hue::Other;
}
