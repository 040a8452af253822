#pragma once
// The grid room: six glowing grid planes, floor, ceiling and four walls of a
// cube 100 units wide with its floor at y = 0.

// One plane of unlit lines in y = 0, x and z from -50 to 50: two white axis
// lines 2 px wide, then 202 green lattice lines 1 px wide. Leaves lighting on,
// the line width 1 and the current colour green.
void drawGridPlane();
// The six planes in their order: floor, ceiling, walls at z = -50, z = +50,
// x = +50, x = -50. Leaves the matrix as it found it.
void drawGridRoom();
