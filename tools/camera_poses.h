#pragma once
// Named camera positions for the headless tools.
#include "camera/vecmath.h"

// Fills pose with the named position; false for an unknown name.
bool findCameraPose(const char* name, Pose* pose);
// The names, separated by '|'.
const char* cameraPoseNames();
