#include "scene/scene_state.h"

SceneState scene = {};
