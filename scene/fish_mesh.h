#pragma once
// The three pieces of a fish as indexed triangle lists in the fish's own
// frame, each already placed where the fish draws it, for drawing many fish
// from one buffer. Built without a context; the triangles are the ones the
// pieces' strips make, in the same winding.
#include <cstdint>
#include <vector>

struct FishMeshVertex {
    float position[3];
    // Transformed as normals are by the piece's placement, not re-normalised:
    // what a normal matrix makes of the piece's own normal.
    float normal[3];
    // The tail's position across its funnel, before placement (its own x and
    // y); zero for the body and the eyes.
    float across[2];
};

struct FishMesh {
    std::vector<FishMeshVertex> vertices;
    std::vector<uint16_t> indices;  // three a triangle
};

// The body: the radius-1 sphere of 6 slices and 3 stacks at the origin.
FishMesh buildFishBodyMesh();
// The eyes: the radius-0.5 sphere of 30 slices and 15 stacks, scaled by
// (0.5, 0.5, 1.5) and centred at (-0.3, 0.25, 0).
FishMesh buildFishEyesMesh();
// What drawing a fish piece by piece leaves as the current normal and
// texture coordinate: the tail's last normal, in its own frame, and the
// eyes' last texture coordinate (the tail sends none).
void findFishLeftovers(float normal[3], float texCoord[2]);
// The tail: a funnel of base radius 1, top radius 0.3, height 0.5, 4 slices
// and 2 stacks, turned -90 degrees about Y and set at (1, 0, 0).
FishMesh buildFishTailMesh();
