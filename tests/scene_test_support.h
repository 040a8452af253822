#pragma once
// Helpers shared by the tests that render the whole scene.
#include <algorithm>

#include "app/viewport.h"
#include "camera/camera.h"
#include "platform/gl_api.h"
#include "platform/headless.h"
#include "scene/fish.h"
#include "scene/frame.h"
#include "scene/scene_state.h"
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

// Counts the fish FIRST to LAST - 1 of a first frame (orbit angle 0, at
// their set-up places) whose body colour shows around their centre in the
// frame; VISIBLE receives how many of them project into the frame.
inline int countFishInTheirColours(const std::vector<uint8_t>& frame, int first, int last, int* visible) {
    const Hue expected[7] = {Hue::Red, Hue::Orange, Hue::Yellow, Hue::Green, Hue::Blue, Hue::Cyan, Hue::Magenta};
    float bx = scene.sceneOffset.x + scene.tankCentre.x, bz = scene.sceneOffset.z + scene.tankCentre.z;
    float by = scene.sceneOffset.y + scene.tankCentre.y;
    int matches = 0;
    *visible = 0;
    for (int i = first; i < last; ++i) {
        const Fish& fish = fishes[i];
        const Vec3& p = fish.pose.position;
        int x, y;
        if (!projectTankPoint(bx + p.x, by + p.y, bz + p.z, &x, &y)) continue;
        ++*visible;
        // The highlights of both lights sit at the centre of each body, so look
        // at the body around it; another fish may cover it.
        bool found = false;
        for (int dy = -5; dy <= 5 && !found; ++dy) {
            for (int dx = -5; dx <= 5 && !found; ++dx) {
                Hue hue = hueOf(pixelAt(frame, std::clamp(x + dx, 0, kFrameWidth - 1),
                                        std::clamp(y + dy, 0, kFrameHeight - 1)));
                found = hue == expected[fish.colourType] ||
                        (fish.colourType <= 2 && (hue == Hue::Orange || hue == Hue::Yellow));
            }
        }
        matches += found;
    }
    return matches;
}
