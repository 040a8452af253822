#pragma once
// Sets the viewport to the drawable size and the 30-degree perspective
// projection for its aspect ratio; leaves the model-view matrix the identity.
// A height of 0 (a minimised window) keeps the previous projection.
void resizeViewport(int width, int height);
