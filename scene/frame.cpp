#include "scene/frame.h"

#include "camera/camera.h"
#include "platform/gl_api.h"
#include "scene/grid.h"

void renderFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glPushMatrix();
    applyCameraView();
    drawGridRoom();
    glDisable(GL_STENCIL_TEST);
    glPopMatrix();
}
