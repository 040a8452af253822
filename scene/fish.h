#pragma once
// The school: 50 fish circling the tank's vertical axis, each at its own
// height, distance and speed, drawn from a faceted body, black eyes and a tail.
#include "camera/vecmath.h"

struct Fish {
    float orbitAngle = 0.0f;  // degrees about the tank's axis, in [0, 360)
    Pose pose;                // position fixed at set-up; forward set each frame
    float speed = 0.0f;       // 1 to 10; the orbit rate is speed * 10 degrees per second
    int colourType = 0;       // 0 to 6, the body and tail colours
};

constexpr int fishCount = 50;

// Zero (but for the default poses) until initFishes fills them; then valid for
// the whole run.
extern Fish fishes[fishCount];

// Fills the table with four rand() draws per fish, in table order. Needs tankRadius.
void initFishes();
// Advances the orbit by dt seconds and orients the fish towards fishTarget;
// returns its model matrix within the orbiting frame (applied after the
// rotation by orbitAngle about +Y) and re-normalises the pose afterwards.
Mat4 stepFish(Fish& fish, float dt);
// Advances the fish by dt seconds, orients it towards fishTarget and draws it.
// Expects the matrix at the tank's base centre and no program current; leaves
// the matrix, no program current, back faces culled, blending on.
void updateAndDrawFish(Fish& fish, float dt);
// The fish's three pieces in its model frame (head towards -X).
void drawFish(int colourType);
// A sphere of triangle strips with normals and texture coordinates.
void drawSphere(float radius, int slices, int stacks);
