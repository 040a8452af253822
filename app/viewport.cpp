#include "app/viewport.h"

#include "platform/gl_api.h"

void resizeViewport(int width, int height) {
    glViewport(0, 0, width, height);
    if (height == 0) {
        // The aspect ratio would not be finite; the next real size fixes it.
        return;
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30.0, static_cast<double>(width) / static_cast<double>(height), 0.1, 500.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
