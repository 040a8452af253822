#pragma once
// Renders one frame of the scene: every motion steps by the time since the
// previous frame. Leaves the model-view stack as it found it.
void renderFrame();
// Renders the moment the previous frame showed once more, for another output
// of the same moment: no clock is read and nothing moves. Otherwise the same
// passes, with the same state, as renderFrame.
void renderRepeatedFrame();

// True only while renderRepeatedFrame draws: every motion's owner then shows
// what its last step left instead of stepping.
extern bool repeatingMoment;
