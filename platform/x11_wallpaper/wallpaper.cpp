// X11 wallpaper backend of the window-system seam: a desktop-background
// window of the program's own on every monitor (x11/desktop.cpp makes
// them), on a connection of its own, all drawn by one GLX context as the
// outputs of the seam. The events are in events.cpp, the display's one
// wallpaper in claim.cpp. It draws only the wallpaper: no window of the
// program's own, no screensaver window, no keys.
#include <epoxy/glx.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/backend.h"
#include "platform/platform.h"
#include "platform/system/event_queue.h"
#include "platform/system/last_error.h"
#include "platform/system/quit_signals.h"
#include "platform/system/wallpaper_only.h"
#include "platform/x11/blanking.h"
#include "platform/x11/coverage.h"
#include "platform/x11/desktop_stack.h"
#include "platform/x11/errors.h"
#include "platform/x11_wallpaper/x11_wallpaper_backend.h"

Display* wallpaperDisplay = nullptr;
std::vector<WallpaperOutput> wallpaperOutputs;
Window wallpaperClaimOwner = 0;
bool wallpaperManaged = false;

namespace {

XVisualInfo* visualInfo = nullptr;
Colormap colormap = 0;
GLXContext context = nullptr;

// Makes the window for MONITOR. False after recording why.
bool addOutput(const X11Monitor& monitor) {
    Window window = makeX11DesktopWindow(wallpaperDisplay, visualInfo->visual, visualInfo->depth, colormap, monitor,
                                         !wallpaperManaged);
    if (window == 0) {
        setPlatformError("cannot make a window for the desktop's background");
        return false;
    }
    wallpaperOutputs.push_back({monitor, window, false, false});
    return true;
}

// Mapping does not raise an override-redirect window: it shows where it was
// put first. A managed one goes where its manager puts desktop windows, and
// is moved once the manager has framed it.
void mapOutput(const WallpaperOutput& output) {
    if (!wallpaperManaged) {
        stackX11On(wallpaperDisplay, {output.window}, findWallpaperFloor());
    }
    XMapWindow(wallpaperDisplay, output.window);
}

void removeLastOutput() {
    WallpaperOutput output = wallpaperOutputs.back();
    wallpaperOutputs.pop_back();
    // The context stays usable with no window current while a window of it goes.
    if (context != nullptr && glXGetCurrentDrawable() == output.window) {
        if (wallpaperOutputs.empty()) {
            glXMakeCurrent(wallpaperDisplay, None, nullptr);
        } else {
            glXMakeCurrent(wallpaperDisplay, wallpaperOutputs.front().window, context);
        }
    }
    XDestroyWindow(wallpaperDisplay, output.window);
}

// The visual every output shares, so that one context draws them all.
bool findVisual() {
    int errorBase = 0;
    int eventBase = 0;
    if (!glXQueryExtension(wallpaperDisplay, &errorBase, &eventBase)) {
        setPlatformError("cannot find a visual with 16 depth and 8 stencil bits: the X display offers no GLX");
        return false;
    }
    int attributes[] = {GLX_RGBA,        GLX_DOUBLEBUFFER, GLX_RED_SIZE,     8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
                        8,               GLX_DEPTH_SIZE,   16,               GLX_STENCIL_SIZE, 8, None};
    visualInfo = glXChooseVisual(wallpaperDisplay, DefaultScreen(wallpaperDisplay), attributes);
    if (visualInfo == nullptr) {
        setPlatformError("cannot find a visual with 16 depth and 8 stencil bits");
        return false;
    }
    return true;
}

// A context that the display refuses answers with protocol errors, which
// the trap records; direct rendering is asked for, as a remote display
// cannot give the version the scene needs.
bool makeContext() {
    takeX11ErrorSeen();
    context = glXCreateContext(wallpaperDisplay, visualInfo, nullptr, True);
    bool current = context != nullptr &&
                   glXMakeCurrent(wallpaperDisplay, wallpaperOutputs.front().window, context) == True;
    XSync(wallpaperDisplay, False);
    if (!current || takeX11ErrorSeen()) {
        setPlatformError("cannot create an OpenGL context (remote displays need direct rendering)");
        return false;
    }
    return true;
}

bool startOnDisplay() {
    if (!findVisual()) {
        return false;
    }
    XSetWindowAttributes attributes = {};
    attributes.override_redirect = True;
    wallpaperClaimOwner = XCreateWindow(wallpaperDisplay, DefaultRootWindow(wallpaperDisplay), -1, -1, 1, 1, 0, 0, InputOnly,
                               CopyFromParent, CWOverrideRedirect, &attributes);
    if (!claimX11Wallpaper(wallpaperDisplay, wallpaperClaimOwner)) {
        return false;
    }
    wallpaperManaged = checkManagerDrawsUnmanagedOnTop(readX11WindowManagerName(wallpaperDisplay));
    colormap = makeX11Colormap(wallpaperDisplay, visualInfo->visual);
    for (const X11Monitor& monitor : readX11Monitors(wallpaperDisplay)) {
        if (!addOutput(monitor)) {
            return false;
        }
    }
    if (!makeContext()) {
        return false;
    }
    watchX11Monitors(wallpaperDisplay);
    startX11StackWatch(wallpaperDisplay);
    startX11BlankWatch(wallpaperDisplay);
    for (const WallpaperOutput& output : wallpaperOutputs) {
        mapOutput(output);
    }
    readWallpaperCoverage();
    return true;
}

void x11WallpaperDestroyWindow() {
    if (wallpaperDisplay == nullptr) {
        return;
    }
    // Ended by a signal or a newer wallpaper: a second signal while the
    // windows go must not end the program with the signal's status.
    ignoreLateQuitSignals();
    if (context != nullptr) {
        glXMakeCurrent(wallpaperDisplay, None, nullptr);
        glXDestroyContext(wallpaperDisplay, context);
        context = nullptr;
    }
    while (!wallpaperOutputs.empty()) {
        removeLastOutput();
    }
    if (wallpaperClaimOwner != 0) {
        XDestroyWindow(wallpaperDisplay, wallpaperClaimOwner);
        wallpaperClaimOwner = 0;
    }
    if (colormap != 0) {
        XFreeColormap(wallpaperDisplay, colormap);
        colormap = 0;
    }
    if (visualInfo != nullptr) {
        XFree(visualInfo);
        visualInfo = nullptr;
    }
    clearQueuedEvents();
    forgetWallpaperEvents();
    forgetWallpaperStacking();
    drainX11Requests(wallpaperDisplay);
    XCloseDisplay(wallpaperDisplay);
    wallpaperDisplay = nullptr;
}

// The window is under all others already: the layer is Wayland's notion.
bool x11WallpaperCreateWallpaper(bool) {
    wallpaperDisplay = XOpenDisplay(nullptr);
    if (wallpaperDisplay == nullptr) {
        setPlatformError("cannot open the X display (DISPLAY is not set or cannot be opened)");
        return false;
    }
    // Windows of others vanish while their stack is read: from here on an
    // X error is recorded, never the end of the program.
    keepX11ErrorsTrapped();
    catchX11ConnectionLoss();
    // Ended with SIGTERM at logout, with SIGINT at a terminal.
    if (!catchQuitSignals() || !startOnDisplay()) {
        std::string kept = readPlatformError();
        x11WallpaperDestroyWindow();
        setPlatformError("%s", kept.c_str());
        return false;
    }
    return true;
}

int x11WallpaperStopWallpaper() { return stopX11Wallpaper(); }

bool x11WallpaperWindowExists() { return wallpaperDisplay != nullptr; }

int x11WallpaperGetOutputCount() { return static_cast<int>(wallpaperOutputs.size()); }

bool checkOutput(int index) { return index >= 0 && index < x11WallpaperGetOutputCount(); }

void x11WallpaperGetOutputSize(int index, int* width, int* height) {
    *width = 0;
    *height = 0;
    if (checkOutput(index)) {
        *width = wallpaperOutputs[index].monitor.width;
        *height = wallpaperOutputs[index].monitor.height;
    }
}

// A blank or powered-down screen hides every output alike.
bool x11WallpaperIsOutputVisible(int index) {
    return checkOutput(index) && !wallpaperOutputs[index].obscured && !wallpaperOutputs[index].covered &&
           !checkX11ScreenBlank(wallpaperDisplay, true);
}

void x11WallpaperMakeOutputCurrent(int index) {
    if (checkOutput(index) && context != nullptr) {
        glXMakeCurrent(wallpaperDisplay, wallpaperOutputs[index].window, context);
    }
}

void x11WallpaperPresentOutput(int index) {
    if (checkOutput(index)) {
        glXSwapBuffers(wallpaperDisplay, wallpaperOutputs[index].window);
    }
}

bool x11WallpaperIsWindowVisible() {
    for (int i = 0; i < x11WallpaperGetOutputCount(); ++i) {
        if (x11WallpaperIsOutputVisible(i)) {
            return true;
        }
    }
    return false;
}

void x11WallpaperGetDrawableSize(int* width, int* height) { x11WallpaperGetOutputSize(0, width, height); }
void x11WallpaperSwapBuffers() { x11WallpaperPresentOutput(0); }

} // namespace

void followWallpaperMonitors() {
    std::vector<X11Monitor> monitors = readX11Monitors(wallpaperDisplay);
    size_t before = wallpaperOutputs.size();
    for (size_t i = 0; i < monitors.size() && i < before; ++i) {
        X11Monitor& known = wallpaperOutputs[i].monitor;
        const X11Monitor& now = monitors[i];
        if (known.x != now.x || known.y != now.y || known.width != now.width || known.height != now.height) {
            known = now;
            placeX11DesktopWindow(wallpaperDisplay, wallpaperOutputs[i].window, now);
            queueOutputSize(static_cast<int>(i), now.width, now.height);
        }
    }
    while (wallpaperOutputs.size() > monitors.size()) {
        removeLastOutput();
    }
    for (size_t i = before; i < monitors.size(); ++i) {
        if (!addOutput(monitors[i])) {
            std::fprintf(stderr, "Marivelle: %s; monitor %zu stays without the aquarium\n", readPlatformError(),
                         i + 1);
            break;
        }
        mapOutput(wallpaperOutputs.back());
        queueOutputSize(static_cast<int>(i), monitors[i].width, monitors[i].height);
    }
    if (wallpaperOutputs.size() != before && !wallpaperOutputs.empty()) {
        queueOutputSize(0, wallpaperOutputs[0].monitor.width, wallpaperOutputs[0].monitor.height);
    }
    readWallpaperCoverage();
}

void readWallpaperCoverage() {
    for (WallpaperOutput& output : wallpaperOutputs) {
        output.covered = checkX11WindowCovered(wallpaperDisplay, output.window);
    }
}

const PlatformBackend x11WallpaperPlatform = {
    refuseOwnWindow,
    refuseGivenWindow,
    refuseOwnWindow,
    x11WallpaperCreateWallpaper,
    x11WallpaperStopWallpaper,
    ignoreShowWindow,
    x11WallpaperDestroyWindow,
    x11WallpaperPollEvent,
    x11WallpaperWaitEvent,
    x11WallpaperIsWindowVisible,
    x11WallpaperGetDrawableSize,
    ignoreScreensaverHold,
    answerNoMonitorChoice,
    refuseFullscreen,
    answerNotFullscreen,
    x11WallpaperWindowExists,
    x11WallpaperSwapBuffers,
    x11WallpaperGetOutputCount,
    x11WallpaperGetOutputSize,
    x11WallpaperIsOutputVisible,
    x11WallpaperMakeOutputCurrent,
    x11WallpaperPresentOutput,
    answerKeyUp,
    printMessageBox,
};
