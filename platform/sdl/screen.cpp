// SDL backend: what the program's own window asks of the user's screen, the
// screensaver held off and the monitor it starts on.
#include <SDL.h>

#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/x11_bridge.h"

void sdlInhibitScreensaver(bool on, const char* reason) {
    bool holding = SDL_IsScreenSaverEnabled() == SDL_FALSE;
    if (sdlWindow == nullptr || sdlWindowIsForeign || on == holding) {
        return;
    }
    // Read when the hold is asked for: the reason the desktop shows for it.
    SDL_SetHint(SDL_HINT_SCREENSAVER_INHIBIT_ACTIVITY_NAME, reason);
    if (on) {
        SDL_DisableScreenSaver();
    } else {
        SDL_EnableScreenSaver();
    }
}

int sdlChosenMonitor = -1;

void setOwnWindowHints() {
    // SDL would hold the screensaver off for as long as the window exists,
    // however small and covered; sdlInhibitScreensaver decides instead.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_APP_NAME, "Marivelle");
    keepSdlX11ErrorsTrapped();
}

int sdlChooseMonitor(int index) {
    // The monitors are known once the video starts; sdlCreateWindow's own
    // SDL_Init then finds it started.
    setOwnWindowHints();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return 0;
    }
    int count = SDL_GetNumVideoDisplays();
    sdlChosenMonitor = index;
    return count > 0 ? count : 0;
}
