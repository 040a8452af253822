#pragma once
// Sets the viewport to the drawable size and the 30-degree perspective
// projection for its aspect ratio; leaves the model-view matrix the identity.
// A height of 0 (a minimised window) keeps the previous projection.
// The size is output 0's, as the window's size events give it.
void resizeViewport(int width, int height);
// The same for output OUTPUT at its own size.
void resizeViewportFor(int output, int width, int height);
// The output whose size the viewport holds now.
int readViewportOutput();
