#pragma once
// The caustic light pattern: 32 frames looping on texture unit 1, with
// texture coordinates generated from each object's own coordinates.
#include "app/clock.h"
#include "platform/gl_api.h"

constexpr int kCausticFrameCount = 32;

struct CausticSet {
    // Texture names, valid once loadCausticTextures has run (frames past a
    // failed file have a name but no image).
    GLuint causticTextures[kCausticFrameCount] = {};
    int causticFrame = 0;  // the frame shown, 0 to 31
    TickGate causticStepGate;
};

extern CausticSet causticSet;

extern const float causticPlaneS[4];
extern const float causticPlaneT[4];

// The file name of frame i: "caust00.tga" to "caust31.tga".
void formatCausticFileName(int frame, char* name, int size);
// Loads the 32 frames (stopping with one message at the first that cannot be
// read) and sets up object-linear coordinate generation on unit 1. Leaves
// unit 0 active.
void loadCausticTextures();
// Moves on a frame (31 wraps to 0) for each step the gate finds due.
void advanceCausticFrame();
// Enables texturing on unit 1 with the current frame; leaves unit 0 active.
void bindCausticFrame();
