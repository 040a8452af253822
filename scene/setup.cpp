#include "scene/setup.h"

#include "camera/camera.h"
#include "platform/gl_api.h"

void initScene() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    cameraPosition = {0.0f, 5.0f, 40.0f};
}
