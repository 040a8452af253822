#pragma once
// Counts the GL calls a stretch of drawing makes, on both ways in: the
// program's own through libepoxy's pointers, GLU's quadrics through the
// library's glBegin.

struct GlCallCount {
    long begins = 0;  // glBegin: primitives sent vertex by vertex
    long draws = 0;   // every call that draws: glBegin, glCallList, glDraw*
};

// Starts counting from zero; needs the context current, and a frame drawn
// before: an entry point's first call makes libepoxy rewrite its pointer,
// which would put the counter out.
void startCountingGlCalls();
// Stops counting and returns what was counted since the start.
GlCallCount stopCountingGlCalls();
