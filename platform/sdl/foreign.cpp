// SDL backend: drawing into a window that another program owns, as a
// screensaver daemon hands one to its hacks.
#include <SDL.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/system/last_error.h"
#include "platform/sdl/x11_bridge.h"

bool sdlAttachWindow(uint64_t windowId) {
    // SDL would otherwise suspend the screensaver when its video starts,
    // which wakes the very daemon that started us.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
    // A daemon ends its hacks with SIGTERM, a user at a terminal with SIGINT.
    // SDL turns both into a quit event, but only where they have their
    // default action: a process started in the background of a shell
    // inherits SIGINT ignored.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    // The owner may destroy the window while a frame is still being drawn
    // into it (a daemon ending its hacks does): the errors that follow must
    // not end us before our own quit does.
    keepSdlX11ErrorsTrapped();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        setSdlError("cannot open a display");
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) {
        setPlatformError("drawing into a given window needs an X11 display (DISPLAY is not set or cannot be opened)");
        SDL_Quit();
        return false;
    }
    char why[256];
    unsigned long window = 0;
    if (windowId > 0xffffffffu) {
        std::snprintf(why, sizeof why, "0x%llx is not an X window id", static_cast<unsigned long long>(windowId));
    }
    if (windowId > 0xffffffffu || !resolveX11Window(static_cast<unsigned long>(windowId), &window, why, sizeof why)) {
        setPlatformError("%s", why);
        SDL_Quit();
        return false;
    }
    if (!createContextIn(nullptr, 0, 0, window)) {
        return false;
    }
    sdlWindowIsForeign = true;
    return true;
}
