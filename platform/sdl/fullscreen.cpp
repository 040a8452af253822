// SDL backend: switching between fullscreen and the window.
#include <SDL.h>

#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/x11_bridge.h"
#include "platform/system/last_error.h"

namespace {

// Valid while the window exists; `windowed*` hold the size and place to give
// back, taken when fullscreen began.
struct FullscreenState {
    bool on = false;
    bool placedByUs = false;  // covered by moving and sizing the window ourselves
    int windowedX = 0;
    int windowedY = 0;
    int windowedWidth = 0;
    int windowedHeight = 0;
};
FullscreenState fullscreen;

} // namespace

bool sdlSetFullscreen(bool on) {
    if (sdlWindow == nullptr) {
        setPlatformError("there is no window to make fullscreen");
        return false;
    }
    if (sdlWindowIsForeign) {
        setPlatformError("the window belongs to another program, which sets its size");
        return false;
    }
    if (on == fullscreen.on) {
        return true;
    }
    if (on) {
        SDL_GetWindowPosition(sdlWindow, &fullscreen.windowedX, &fullscreen.windowedY);
        SDL_GetWindowSize(sdlWindow, &fullscreen.windowedWidth, &fullscreen.windowedHeight);
        // A window manager carries out SDL's desktop-fullscreen request. With
        // none (a bare X server, as a kiosk runs) the request is lost while
        // SDL still reports the screen's size, so the window is moved and
        // sized over its display directly; the server applies that at once.
        if (checkSdlWindowManager(sdlWindow)) {
            if (SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
                setSdlError("the window manager's fullscreen request failed");
                return false;
            }
            fullscreen.placedByUs = false;
        } else {
            SDL_Rect bounds;
            int display = SDL_GetWindowDisplayIndex(sdlWindow);
            if (display < 0 || SDL_GetDisplayBounds(display, &bounds) != 0) {
                setSdlError("cannot find the display that holds the window");
                return false;
            }
            SDL_SetWindowBordered(sdlWindow, SDL_FALSE);
            SDL_SetWindowPosition(sdlWindow, bounds.x, bounds.y);
            SDL_SetWindowSize(sdlWindow, bounds.w, bounds.h);
            SDL_RaiseWindow(sdlWindow);
            fullscreen.placedByUs = true;
        }
    } else if (fullscreen.placedByUs) {
        SDL_SetWindowSize(sdlWindow, fullscreen.windowedWidth, fullscreen.windowedHeight);
        SDL_SetWindowPosition(sdlWindow, fullscreen.windowedX, fullscreen.windowedY);
        SDL_SetWindowBordered(sdlWindow, SDL_TRUE);
    } else if (SDL_SetWindowFullscreen(sdlWindow, 0) != 0) {
        setSdlError("cannot leave fullscreen");
        return false;
    }
    fullscreen.on = on;
    return true;
}

bool sdlIsFullscreen() { return fullscreen.on; }

void forgetFullscreen() { fullscreen = FullscreenState{}; }
