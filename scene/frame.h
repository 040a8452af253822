#pragma once
// Renders one frame of the scene. Leaves the model-view stack as it found it.
void renderFrame();
