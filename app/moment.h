#pragma once
// One moment of the scene on every output that can be seen.

// Draws the moment on each output nobody's view of which is lost: the first
// one drawn steps every motion, as a frame always has, and the others show
// that same moment again, so N outputs never step a clock N times. While the
// scene is paused none steps: every output shows the moment it paused at,
// from wherever the camera is now. With
// several outputs each is drawn with the viewport and projection of its own
// size, and so is one left of several (the viewport was another's); a lone
// output otherwise keeps what its size events set. FINISH (may be null)
// runs after each output's scene, before that output is presented. Returns
// how many outputs were drawn.
int drawMoment(void (*finish)());
