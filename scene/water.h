#pragma once
// The water surface: a fixed 64 x 64 grid one unit apart, drawn as triangle
// strips through the water program, which makes the waves from "vWave" (a
// phase advanced per vertex pair drawn) and "fTime" (seconds).
#include "app/clock.h"
#include "camera/vecmath.h"

constexpr int kWaterGridSize = 64;
constexpr float kWaterPhaseLimit = 6.2831853071f;
constexpr float kWaterPhaseStep = 0.00001f;

// Row i, column j at 64 * i + j; filled by initWaterMesh, constant afterwards.
extern Vec3 waterMesh[kWaterGridSize * kWaterGridSize];
// Radians in [0, 2 pi]; 0 at start, advanced by every vertex pair drawn, as
// fast as the clocks run.
extern float waterPhase;
extern ElapsedClock waterClock;

// Vertex (i, j) = (32 - i, 0, 32 - j).
void initWaterMesh();

// The surface's strips in drawing order: for each row i from 0 to 62,
// beginStrip(), then for each column j from 0 to 62 vertex(row i, column j),
// vertex(row i + 1, column j) and pairDone(); then endStrip(). Column 63 is
// never emitted.
template <class BeginStrip, class EmitVertex, class PairDone, class EndStrip>
void walkWaterStrips(BeginStrip beginStrip, EmitVertex vertex, PairDone pairDone,
                       EndStrip endStrip) {
    for (int i = 0; i < kWaterGridSize - 1; ++i) {
        beginStrip();
        for (int j = 0; j < kWaterGridSize - 1; ++j) {
            vertex(waterMesh[kWaterGridSize * i + j]);
            vertex(waterMesh[kWaterGridSize * (i + 1) + j]);
            pairDone();
        }
        endStrip();
    }
}
// The water program's waves turn at 1.3 and 2.1 radians a second, so after
// 20 pi seconds both have made whole turns: the time it is sent wraps there,
// with no seam, and stays as fine as in the first minute however long the run.
constexpr double kWaterTimePeriod = 62.83185307179586;
// The "fTime" value for SECONDS since the water's first frame.
float computeWaterTime(double seconds);
// Advances the phase by one vertex pair: by the speed-1 step, back to 0 past
// the limit, as many times as the clock's speed asks (at speed 1 once; at
// speed 2 twice; at speed 0.5 every other pair).
void advanceWaterPhase();
// Draws the 63 strips of 63 vertex pairs with the water program; expects the
// caller's placement, culling off and the water-column stencil. Leaves no
// program current.
void drawWaterSurface();
