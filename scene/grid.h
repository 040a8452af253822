#pragma once
// The grid room: six glowing grid planes, floor, ceiling and four walls of a
// cube 100 units wide with its floor at y = 0.

// One plane of unlit lines in y = 0, x and z from -50 to 50: two white axis
// lines 2 px wide, then 202 green lattice lines 1 px wide. Leaves lighting on,
// the line width 1 and the current colour green.
void drawGridPlane();
#include "camera/vecmath.h"

// Where one grid plane goes: the turns, in degrees, are applied first about x,
// then about z (a zero turn is left out), then the translation.
struct GridPlacement {
    float turnAboutX;
    float turnAboutZ;
    Vec3 offset;
};

// The six placements in drawing order: floor, ceiling, walls at z = -50,
// z = +50, x = +50, x = -50. The floor is the plane as it is.
extern const GridPlacement gridRoom[6];

// The six planes in their order: floor, ceiling, walls at z = -50, z = +50,
// x = +50, x = -50, each but the floor inside its own matrix push and pop.
// Leaves the matrix as it found it.
void drawGridRoom();
