#include "tools/headless_context.h"

#include <unistd.h>

#include <cstdio>

#include "platform/platform.h"
#include "scene/setup.h"

bool openHeadlessContext(const char* tool, const std::string& dataDir, int width, int height) {
    if (chdir(dataDir.c_str()) != 0) {
        std::fprintf(stderr, "%s: cannot enter %s\n", tool, dataDir.c_str());
        return false;
    }
    if (!platformCreateWindow("Marivelle", width, height)) {
        std::fprintf(stderr, "%s: %s\n", tool, platformGetLastError());
        return false;
    }
    return true;
}

void closeHeadlessContext() {
    releaseScene();
    platformDestroyWindow();
}
