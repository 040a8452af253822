#pragma once
// The sand floor: a 63 x 63 grid of quads whose corner heights come from the
// 1024 x 1024 height map, shaded by height, with the sand texture on unit 0.
#include <cstdint>

constexpr int kHeightMapSize = 1024;

// Row j, column i at byte j * 1024 + i.
struct HeightMap {
    uint8_t samples[kHeightMapSize * kHeightMapSize];
};

// Zero at start; valid (as far as the file went) once loadHeightMap has run;
// never changed afterwards.
extern HeightMap sandHeightMap;

// Reads "Batman.raw" into the map. A missing file or a read error shows its
// message; a short file fills the map from the start and leaves the rest zero.
void loadHeightMap();
// Height sample under a floor corner (coordinates in floor units, 0 to 1008).
int readSandHeight(int cornerX, int cornerZ);
// Grey of a corner of the given height: h / 256 - 0.15 (negative below 39).
float computeSandGrey(int height);
// Draws the floor unlit with every vertex colour's alpha set to alpha. Leaves
// lighting on, the colour white, unit 0 active with sandTexture bound.
void drawSandFloor(float alpha);
// Deletes the floor's buffer, while the context that holds it is current:
// for whoever ends the context. The next draw builds it again.
void releaseSandFloor();
