#pragma once
// The glass tank: the water column written into the stencil buffer, and the
// tank pass that draws the floor disk, rim, plinth, glass and everything inside.
#include "app/clock.h"

// Time step of the fish, restarted each tank pass; started on the first pass.
extern DeltaClock tankClock;

// Counts back faces of the glass cylinder and the cap disk into the stencil
// buffer (colour and depth untouched), then leaves the stencil test set so the
// water draws only where the count is odd, decrementing it. Leaves the matrix
// as it found it.
void drawWaterStencil();
// Draws the tank and its contents in their fixed order. Translates the current
// matrix by sceneOffset without undoing it; the caller's pop removes it. Leaves
// the stencil test on, unit 1 active with its texturing off, back faces culled.
void drawTankPass();
