#pragma once
// Marks between the passes of a frame, for profiling tools. The frame calls
// markPassEnd after each pass; with no observer set it costs one test.

enum FramePass {
    PASS_SETUP,        // clear, caustic step, view, caustic bind
    PASS_GRID_ROOM,
    PASS_STENCIL,      // water column into the stencil buffer
    PASS_WATER,
    PASS_TANK_SHELL,   // floor disk, rim, plinth, far side of the glass
    PASS_FISH,
    PASS_SAND,
    PASS_BUBBLES,
    PASS_NEAR_GLASS,   // near side of the glass and the end of the frame
    PASS_COUNT,
};

// Called with each pass as it ends; null (the default) for no observer.
extern void (*passEndObserver)(FramePass pass);

inline void markPassEnd(FramePass pass) {
    if (passEndObserver != nullptr) {
        passEndObserver(pass);
    }
}

// Short names for reports: "setup", "grid room", ...
const char* nameFramePass(FramePass pass);
