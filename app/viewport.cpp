#include "app/viewport.h"

#include "platform/gl_api.h"

namespace {

int viewportOutput = 0;

} // namespace

void resizeViewport(int width, int height) { resizeViewportFor(0, width, height); }

void resizeViewportFor(int output, int width, int height) {
    viewportOutput = output;
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

int readViewportOutput() { return viewportOutput; }
