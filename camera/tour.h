#pragma once
// The tour: the camera flies itself along an endless, smooth path around the
// tank, for a demo left running or a screensaver. Its pose is a function of
// the tour clock's time alone, so it is the same at any frame rate.
#include "app/clock.h"
#include "camera/vecmath.h"

// The path orbits the tank's axis at (kTourAxisX, kTourAxisZ), between these
// distances from it and heights above the room's floor, always looking at a
// point on the axis between the look heights (inside the tank's glass).
constexpr float kTourAxisX = 1.578f;
constexpr float kTourAxisZ = 1.578f;
constexpr float kTourMinRadius = 28.0f;
constexpr float kTourMaxRadius = 44.0f;
constexpr float kTourMinHeight = 8.0f;
constexpr float kTourMaxHeight = 36.0f;
constexpr float kTourMinLookHeight = 9.0f;
constexpr float kTourMaxLookHeight = 19.0f;
// Bounds it keeps at every instant: the camera's speed, and how fast its
// view direction and its up direction turn.
constexpr float kTourMaxSpeed = 4.5f;      // scene units per second
constexpr float kTourMaxTurnRate = 0.2f;   // radians per second

// The pose SECONDS into the tour: forward and up are unit length and
// perpendicular, up has no roll (it lies in the vertical plane of forward).
Pose computeTourPose(double seconds);

// Tour state, valid from startTour on: whether it still flies the camera,
// whether a flying key may end it, and its clock.
struct TourState {
    bool flying = false;
    bool keysHandOver = true;
    ElapsedClock clock;
};
extern TourState tour;

// Starts the tour from its beginning. With keysHandOver, the first flying key
// pressed hands the camera to the keyboard; without it only the tour moves
// the camera.
void startTour(bool keysHandOver);
// Each frame, in place of updateCamera: while the tour flies, puts the camera
// at the tour's pose for the clock's time. A pressed flying key ends the tour
// where it was and the keys act at once, as updateCamera makes them.
void updateTourOrCamera();
// The mouse takes the camera as a flying key does: where keys may end the
// tour, it ends where it was; otherwise nothing changes.
void takeCameraFromTour();
