#pragma once
// Up to 200 bubbles rising from the centre of the tank's base as 5-pixel
// textured point sprites, advanced in gated steps of more than 0.03 s.
#include "app/clock.h"
#include "camera/vecmath.h"

struct Bubble {
    Vec3 position;  // relative to the centre of the tank's base
    Vec3 velocity;  // scene units per step
};

constexpr int kMaxBubbles = 200;

// All zero until initBubbles; records 0 .. bubbleCount - 1 are the active ones.
extern Bubble bubbles[kMaxBubbles];
extern int bubbleCount;
extern TickGate bubbleStepGate;

// Puts every record at the origin with a new random velocity, in index order.
void initBubbles();
// Back to the origin with a new velocity: three rand() draws, x, y, z.
void respawnBubble(Bubble& bubble);
// One step: one more active bubble (up to 200), each moved by its velocity and
// respawned past y 26 or past tankRadius - 3 from the axis in x or z.
void stepBubbles();
// Takes the steps the gate finds due, then draws the active bubbles. Expects the
// matrix at the tank's base centre and unit 0 active; leaves no program, the
// stencil test off, blending and lighting on, unit 1 texturing on, unit 0
// active with sandTexture bound and texturing off.
void updateAndDrawBubbles();
