#pragma once
// Geometry that never changes, compiled into a display list of the current
// context the first time it is drawn and handed over with one call each time
// after. The emitter stays the shape's description: it is what the list is
// compiled from, and what is sent vertex by vertex while retained drawing is
// off, the reference the tests and the benchmark compare with.

// A shape is its emitter, plus the list once compiled (0 before).
struct RetainedShape {
    void (*emit)();
    unsigned list;
};

// True (the default): shapes are drawn from their lists. False: every vertex
// is sent each frame, as the emitters send them.
extern bool retainedGeometry;

// Draws SHAPE: its list, compiled first when it has none yet; its emitter
// while retained drawing is off, or where the driver gave no list.
void drawShape(RetainedShape& shape);
// Deletes every list compiled so far; needs the context that holds them.
// Whoever ends a context calls it first, so the next context compiles its
// own; the shapes then compile again on their next draw.
void releaseRetainedShapes();
