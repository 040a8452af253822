// SDL2 backend of the window-system seam: one window with an OpenGL context,
// and message boxes. Events and keys are in
// events.cpp, fullscreen in fullscreen.cpp, drawing into another
// program's window in foreign.cpp.
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/backend.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/x11_bridge.h"
#include "platform/system/last_error.h"
#include "platform/system/quit_signals.h"

SDL_Window* sdlWindow = nullptr;
bool sdlWindowIsForeign = false;

namespace {

SDL_GLContext context = nullptr;

// Deletes the context and destroys the window, whichever exist. True when
// there was a window.
bool releaseContextAndWindow() {
    if (context != nullptr) {
        SDL_GL_MakeCurrent(sdlWindow, nullptr);
        SDL_GL_DeleteContext(context);
        context = nullptr;
    }
    if (sdlWindow == nullptr) {
        return false;
    }
    SDL_DestroyWindow(sdlWindow);
    sdlWindow = nullptr;
    return true;
}

// Releases whatever a failed start-up had made. Errors still in flight are
// drained into the trap before SDL_Quit puts Xlib's default handler back.
void abandonStartUp() {
    ignoreLateQuitSignals();
    releaseContextAndWindow();
    drainSdlX11Requests();
    SDL_Quit();
    char ignored[8];
    endX11ErrorTrap(nullptr, ignored, sizeof ignored);
}

// True, with the failure recorded, when the foreign window that sdlWindow
// wraps no longer exists on SDL's own connection.
bool checkForeignWindowGone(unsigned long foreignWindow) {
    if (readSdlWindowState(sdlWindow).found) {
        return false;
    }
    setPlatformError("window 0x%lx does not exist or is not a window", foreignWindow);
    return true;
}

} // namespace

void setSdlError(const char* what) {
    const char* detail = SDL_GetError();
    if (detail != nullptr && detail[0] != '\0') {
        setPlatformError("%s: %s", what, detail);
    } else {
        setPlatformError("%s", what);
    }
}

bool sdlCreateWindow(const char* title, int width, int height) {
    setOwnWindowHints();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        setSdlError("cannot open a display");
        return false;
    }
    // Without a display SDL falls back to drivers that show nothing; a demo
    // that nobody can see is a failure to start, not a success.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) {
        setPlatformError("no display is available (DISPLAY or WAYLAND_DISPLAY is not set or cannot be opened)");
        SDL_Quit();
        return false;
    }
    if (!createContextIn(title, width, height, 0)) {
        return false;
    }
    watchSdlWindowVisibility(sdlWindow);
    noteKeysHeldBefore();
    SDL_StartTextInput();
    return true;
}

void setContextAttributes() {
    // A plain request with no profile and a version below 3 is one every
    // driver answers with the most it offers, compatibility included. Naming a
    // profile would make SDL ask for 2.1 and be refused by a 2.0 driver; what
    // an older driver offers is left to the start-up version check to report.
    // A foreign window keeps its own visual, whatever depth and stencil say.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
}

bool createContextIn(const char* title, int width, int height, unsigned long foreignWindow) {
    setContextAttributes();

    // A display that refuses GLX (indirect rendering over a remote X
    // connection) answers with protocol errors, which Xlib would otherwise
    // turn into an exit of its own.
    beginSdlX11ErrorTrap();
    char refused[256];
    if (foreignWindow != 0) {
        sdlWindow = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<uintptr_t>(foreignWindow)));
    } else {
        // Placed when it is made: on a display of several X screens a window
        // cannot move from one to another.
        int place = sdlChosenMonitor >= 0 ? static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(sdlChosenMonitor))
                                          : static_cast<int>(SDL_WINDOWPOS_UNDEFINED);
        // A shell's background window is seen only through the shell's
        // copy of its picture: no frame around it, no task bar entry (X11).
        Uint32 shown = sdlEmbedded ? SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR : 0;
        sdlWindow = SDL_CreateWindow(title, place, place, width, height,
                                     SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN | shown);
    }
    if (sdlWindow == nullptr) {
        setSdlError(foreignWindow != 0 ? "cannot draw into the given window"
                                       : "cannot create a window with 16 depth and 8 stencil bits");
        abandonStartUp();
        return false;
    }
    // The given window was looked up on a connection of our own and may have
    // gone since: SDL's context creation would read its attributes unchecked.
    if (foreignWindow != 0 && checkForeignWindowGone(foreignWindow)) {
        abandonStartUp();
        return false;
    }
    context = SDL_GL_CreateContext(sdlWindow);
    if (context != nullptr) {
        SDL_GL_MakeCurrent(sdlWindow, context);
    }
    if (endSdlX11ErrorTrap(sdlWindow, refused, sizeof refused)) {
        setPlatformError("%s", refused);
        if (foreignWindow != 0) {
            checkForeignWindowGone(foreignWindow);
        }
        beginSdlX11ErrorTrap();
        abandonStartUp();
        return false;
    }
    if (context == nullptr) {
        setSdlError("cannot create an OpenGL context");
        beginSdlX11ErrorTrap();
        abandonStartUp();
        return false;
    }
    return true;
}

void sdlShowWindow() {
    if (sdlWindow != nullptr && !sdlWindowIsForeign) {
        SDL_ShowWindow(sdlWindow);
    }
}

void sdlDestroyWindow() {
    if (releaseContextAndWindow()) {
        clearLatchedKeys();
        forgetReportedSize();
        forgetFullscreen();
        // A frame drawn into a foreign window just as its owner took it away
        // leaves errors on their way back: they must reach our handler.
        drainSdlX11Requests();
        // A daemon takes its window away and sends SIGTERM in either order.
        // When the window went first, the signal can come once SDL no longer
        // turns it into a quit event; the program is ending already, and
        // must end with its own status, not the signal's.
        if (sdlWindowIsForeign) {
            ignoreLateQuitSignals();
        }
        sdlWindowIsForeign = false;
        sdlEmbedded = false;
        SDL_Quit();
    }
}

void sdlGetDrawableSize(int* width, int* height) {
    readDrawableSize(width, height);
    noteReportedSize(*width, *height);
}

void readDrawableSize(int* width, int* height) {
    *width = 0;
    *height = 0;
    if (sdlWindow == nullptr) {
        return;
    }
    // SDL's own idea of the size can differ from the real drawable: a
    // fullscreen request that no window manager carries out still reports
    // the screen's size, and a foreign window reports none of its changes.
    X11WindowState state = readSdlWindowState(sdlWindow);
    if (state.found) {
        *width = state.width;
        *height = state.height;
    } else {
        SDL_GL_GetDrawableSize(sdlWindow, width, height);
    }
}

void sdlSwapBuffers() { sdlPresentOutput(0); }

int sdlGetOutputCount() { return sdlWindow != nullptr ? 1 : 0; }

void sdlGetOutputSize(int index, int* width, int* height) {
    *width = 0;
    *height = 0;
    if (index == 0) {
        readReportedSize(width, height);
    }
}

bool sdlIsOutputVisible(int index) { return index == 0 && sdlIsWindowVisible(); }

// The one window's context is current from its creation on.
void sdlMakeOutputCurrent(int) {}

void sdlPresentOutput(int index) {
    if (sdlWindow != nullptr && index == 0) {
        SDL_GL_SwapWindow(sdlWindow);
    }
}

void sdlMessageBox(const char* text, const char* caption) {
    const char* title = caption != nullptr ? caption : "Error";
    // Inside another program's window (a screensaver's) a box of our own
    // would be a window the daemon never asked for.
    if (sdlWindowIsForeign || SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title, text, nullptr) != 0) {
        std::fprintf(stderr, "%s: %s\n", title, text);
    }
}

// A window of the program's own draws no wallpaper: that is x11WallpaperPlatform's.
bool sdlCreateWallpaper(bool) {
    setPlatformError("the program's own window cannot be a wallpaper");
    return false;
}

int sdlStopWallpaper() {
    setPlatformError("the program's own window cannot stop a wallpaper");
    return -1;
}

const PlatformBackend sdlPlatform = {
    sdlCreateWindow,     sdlAttachWindow,      sdlCreateEmbeddedWindow, sdlCreateWallpaper,    sdlStopWallpaper,
    sdlShowWindow,       sdlDestroyWindow,     sdlPollEvent,          sdlWaitEvent,
    sdlIsWindowVisible,  sdlGetDrawableSize,   sdlInhibitScreensaver, sdlChooseMonitor,
    sdlSetFullscreen,    sdlIsFullscreen,      sdlWindowExists,       sdlSwapBuffers,
    sdlGetOutputCount,   sdlGetOutputSize,     sdlIsOutputVisible,    sdlMakeOutputCurrent,
    sdlPresentOutput,    sdlIsKeyPressed,      sdlMessageBox,
};
