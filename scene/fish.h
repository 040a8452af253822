#pragma once
// The school: 50 fish by default, 1 to 30,000 with --fish, circling the tank's
// vertical axis, each at its own height, distance and speed, drawn from a
// faceted body, black eyes and a tail.
#include <vector>

#include "camera/vecmath.h"

struct Fish {
    float orbitAngle = 0.0f;  // degrees about the tank's axis, in [0, 360)
    Pose pose;                // position fixed at set-up; forward set each frame
    float speed = 0.0f;       // 1 to 10; the orbit rate is speed * 10 degrees per second
    int colourType = 0;       // 0 to 6, the body and tail colours
    Mat4 model = {};             // what the last step returned, drawn again for a repeated moment
};

constexpr int kMaxFish = 30000;
// The school the program has always drawn; its records are filled before the
// bubbles, whatever the count in use.
constexpr int kFirstSchool = 50;

// The number of fish drawn, 1 to kMaxFish; changed through setFishCount.
extern int fishCount;

// The records: as many as the school in use, and never fewer than
// kFirstSchool, since set-up fills those whatever the count.
using FishTable = std::vector<Fish>;

// Records first to last - 1 of the table, for a range-for.
struct FishRange {
    Fish* first;
    Fish* last;
    Fish* begin() const { return first; }
    Fish* end() const { return last; }
};

// Zero (but for the default poses) until initFishes fills them; then valid for
// the whole run.
extern FishTable fishes;

// Sets the number of fish drawn (1 to kMaxFish) and sizes the table for it:
// records it already holds keep their contents, new ones start zero. Call it
// before the scene's set-up.
void setFishCount(int count);

// The fishCount fish in use: the table's first records.
FishRange fishesInUse();

// Fills the first kFirstSchool records with four rand() draws per fish, in
// table order, whatever fishCount is, so that the draws after them (the
// bubbles') do not depend on it. Needs tankRadius.
void initFishes();
// Fills records kFirstSchool to fishCount - 1 the same way, continuing the
// sequence after the bubble table's draws. Needs tankRadius.
void initLaterFishes();
// Advances the orbit by dt seconds and orients the fish towards fishTarget;
// returns its model matrix within the orbiting frame (applied after the
// rotation by orbitAngle about +Y) and re-normalises the pose afterwards.
Mat4 stepFish(Fish& fish, float dt);
// Steps every fish in use as stepFish does, keeping each one's matrix in its
// record; the same results, worked out once for fish that share them.
void stepSchool(float dt);
// Advances the fish by dt seconds, orients it towards fishTarget and draws it;
// while a moment is repeated, draws it as its last step left it.
// Expects the matrix at the tank's base centre and no program current; leaves
// the matrix, no program current, back faces culled, blending on.
void updateAndDrawFish(Fish& fish, float dt);
// The fish's three pieces in its model frame (head towards -X).
void drawFish(int colourType);
// A sphere of triangle strips with normals and texture coordinates.
void drawSphere(float radius, int slices, int stacks);

// The body and tail colours of each colour type (RGBA).
extern const float* const fishBodyColours[7];
extern const float* const fishTailColours[7];
