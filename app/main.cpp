// Marivelle: a real-time 3D aquarium. One window, one frame per pass of the
// event loop, until Escape or a close request.
#include <cstdio>

#include "app/viewport.h"
#include "assets/shader.h"
#include "camera/camera.h"
#include "platform/gl_api.h"
#include "platform/platform.h"
#include "scene/frame.h"
#include "scene/requirements.h"
#include "scene/setup.h"

namespace {

constexpr int kExitFailure = -1;

// Reports each kind of GL error once on standard error: a frame should raise
// none, and a demo that silently draws wrong is harder to mend.
void reportGlErrors() {
    static GLenum reported[8];
    static int reportedCount = 0;
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError()) {
        bool known = false;
        for (int i = 0; i < reportedCount; ++i) {
            known |= reported[i] == error;
        }
        if (!known && reportedCount < 8) {
            reported[reportedCount++] = error;
            std::fprintf(stderr, "Marivelle: OpenGL error 0x%04x during a frame\n", error);
        }
    }
}

void renderOnePaint() {
    updateCamera();
    renderFrame();
    reportGlErrors();
    platformSwapBuffers();
}

// Destroys the window and its context, and with them the GL objects the
// scene made.
void closeWindow() {
    forgetShaderPrograms();
    platformDestroyWindow();
}

// Handles one event; false once the program should end.
bool handleEvent(const PlatformEvent& event) {
    switch (event.type) {
    case PLATFORM_EVENT_QUIT:
    case PLATFORM_EVENT_CLOSE:
        return false;
    case PLATFORM_EVENT_CHAR:
        return event.character != 27;
    case PLATFORM_EVENT_SIZE:
        resizeViewport(event.width, event.height);
        return true;
    }
    return true;
}

} // namespace

int main() {
    if (!platformCreateWindow("Marivelle", 800, 600)) {
        std::fprintf(stderr, "Marivelle: %s\n", platformGetLastError());
        return kExitFailure;
    }
    const char* missing = findMissingGlRequirement();
    if (missing != nullptr) {
        std::fprintf(stderr, "Marivelle: %s\n", missing);
        closeWindow();
        return kExitFailure;
    }
    initScene();
    platformShowWindow();

    int width = 0;
    int height = 0;
    platformGetDrawableSize(&width, &height);
    resizeViewport(width, height);
    renderOnePaint();

    bool running = true;
    while (running) {
        PlatformEvent event;
        bool handled = false;
        while (running && platformPollEvent(&event)) {
            running = handleEvent(event);
            handled = true;
        }
        // Like a window whose paint is never validated: a frame whenever no
        // other event waits.
        if (running && !handled) {
            renderOnePaint();
        }
    }
    closeWindow();
    return 0;
}
