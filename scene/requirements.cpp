#include "scene/requirements.h"

#include <cstdio>

#include "platform/gl_api.h"

const char* findMissingGlRequirement() {
    static char message[160];
    int version = epoxy_gl_version();
    if (version < 20) {
        std::snprintf(message, sizeof message,
                      "OpenGL 2.0 or later is required, the driver offers %d.%d", version / 10,
                      version % 10);
        return message;
    }
    return nullptr;
}
