#pragma once
// The whole school in a handful of draws: one instanced draw per piece of the
// fish (body, eyes, tail), every fish's matrix and colour type in a buffer
// refilled each frame; a fish that another drawn before it hides exactly
// (the same matrix) is left out. Where the driver cannot draw instances, or the
// programs for it did not build, the tank pass draws one fish at a time.

// True (the default): the school is drawn instanced wherever it can be.
// False: one fish at a time, the way the tests and the benchmark compare with.
// Retained drawing off (every vertex sent) also draws one fish at a time.
extern bool instancedFish;

// True when the current context offers instanced drawing: OpenGL 3.3, or
// GL_ARB_instanced_arrays with GL_ARB_draw_instanced, and shader objects.
bool checkFishInstancing();

// Steps every fish in use by dt (none while a moment is repeated) and draws
// them all; false, with nothing stepped or drawn, where the school is not
// drawn instanced. Expects and leaves what updateAndDrawFish does, and leaves
// no buffer bound and no generic attribute array on.
bool drawSchoolInstanced(float dt);

// Forgets the buffers and programs of the current context, deleting them;
// whoever ends a context calls it first. The next draw builds them again.
void releaseSchoolInstances();
