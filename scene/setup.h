#pragma once
// One-time scene set-up: fixed-function state, lights, camera placement, scene
// constants and every object's own set-up, in a fixed order. Needs a current
// context whose model-view matrix is still the identity; runs once.
void initScene();
// Builds the four scene programs (0 for a pair that does not build), makes
// waterProgram current and looks up the five uniform locations. A step of
// initScene.
void buildScenePrograms();
// For whoever ends the context, before it goes: deletes what the scene
// compiled in it and forgets which program is current, so that a next
// context starts afresh.
void releaseScene();
