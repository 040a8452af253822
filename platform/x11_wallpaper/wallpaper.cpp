// SDL backend: the wallpaper. A desktop-background window of the program's
// own on every monitor (x11_desktop.cpp makes them), each handed to SDL as a
// foreign window and drawn by one context, as the outputs of the seam.
#include <SDL.h>
#include <SDL_syswm.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl_backend.h"
#include "platform/x11_coverage.h"
#include "platform/x11_desktop.h"
#include "platform/x11_support.h"

bool sdlWallpaperActive = false;

namespace {

struct WallpaperOutput {
    X11Monitor monitor;
    Window xid;
    SDL_Window* window;
    bool obscured;  // the server said wholly obscured (holds without a compositor)
    bool covered;   // the window stack says wholly covered
};

std::vector<WallpaperOutput> outputs;
Display* display = nullptr;
Visual* visual = nullptr;
int depth = 0;
Colormap colormap = 0;
// Without a window manager that keeps DESKTOP windows under the others, the
// windows are override-redirect and lowered whenever something goes below.
bool keptDownByUs = false;
// Holds the display's wallpaper claim; lives as long as the wallpaper.
Window claimOwner = 0;
SDL_GLContext context = nullptr;
std::deque<PlatformEvent> pending;
bool monitorsChanged = false;
bool stackChanged = false;

bool failWith(const char* why) {
    setPlainError(why);
    return false;
}

bool checkIsOurs(Window window) {
    for (const WallpaperOutput& output : outputs) {
        if (output.xid == window) {
            return true;
        }
    }
    return false;
}

void keepAtTheBottom() {
    for (const WallpaperOutput& output : outputs) {
        XLowerWindow(display, output.xid);
    }
}

// Makes the window for MONITOR and hands it to SDL. False after recording why.
bool addOutput(const X11Monitor& monitor) {
    Window xid = makeX11DesktopWindow(display, visual, depth, colormap, monitor, keptDownByUs);
    if (xid == 0) {
        return failWith("cannot make a window for the desktop's background");
    }
    SDL_Window* window = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<uintptr_t>(xid)));
    if (window == nullptr) {
        XDestroyWindow(display, xid);
        setSdlError("cannot draw into the desktop's background");
        return false;
    }
    outputs.push_back({monitor, xid, window, false, false});
    return true;
}

void mapOutput(const WallpaperOutput& output) {
    XMapWindow(display, output.xid);
    if (keptDownByUs) {
        XLowerWindow(display, output.xid);
    }
}

void removeLastOutput() {
    WallpaperOutput output = outputs.back();
    outputs.pop_back();
    if (SDL_GL_GetCurrentWindow() == output.window) {
        SDL_GL_MakeCurrent(outputs.empty() ? output.window : outputs.front().window,
                           outputs.empty() ? nullptr : context);
    }
    SDL_DestroyWindow(output.window);
    XDestroyWindow(display, output.xid);
}

void pushSize(int index) {
    PlatformEvent event = {};
    event.type = PLATFORM_EVENT_SIZE;
    event.output = index;
    event.width = outputs[index].monitor.width;
    event.height = outputs[index].monitor.height;
    pending.push_back(event);
}

// Follows the monitors as they are now: moves, resizes, adds and removes
// windows, and tells the program of each output that changed.
void followMonitors() {
    std::vector<X11Monitor> monitors = readX11Monitors(display);
    size_t before = outputs.size();
    for (size_t i = 0; i < monitors.size() && i < before; ++i) {
        X11Monitor& known = outputs[i].monitor;
        const X11Monitor& now = monitors[i];
        if (known.x != now.x || known.y != now.y || known.width != now.width || known.height != now.height) {
            known = now;
            placeX11DesktopWindow(display, outputs[i].xid, now);
            pushSize(static_cast<int>(i));
        }
    }
    while (outputs.size() > monitors.size()) {
        removeLastOutput();
    }
    for (size_t i = before; i < monitors.size(); ++i) {
        if (!addOutput(monitors[i])) {
            std::fprintf(stderr, "Marivelle: %s; monitor %zu stays without the aquarium\n", sdlGetLastError(),
                         i + 1);
            break;
        }
        mapOutput(outputs.back());
        pushSize(static_cast<int>(outputs.size() - 1));
    }
    if (outputs.size() != before && !outputs.empty()) {
        pushSize(0);
    }
    stackChanged = true;
}

void readCoverage() {
    for (WallpaperOutput& output : outputs) {
        output.covered = checkX11WindowCovered(display, output.xid);
    }
}

// Reads one raw X event: what it changes is noted, and a QUIT is queued when
// another took the display's wallpaper over.
void noteXEvent(const XEvent& x) {
    if (checkX11WallpaperTaken(display, claimOwner, x)) {
        PlatformEvent quit = {};
        quit.type = PLATFORM_EVENT_QUIT;
        pending.push_back(quit);
        return;
    }
    if (checkX11MonitorEvent(display, x)) {
        monitorsChanged = true;
    }
    if (noteX11StackEvent(display, x)) {
        stackChanged = true;
    }
    if (x.type == VisibilityNotify) {
        for (WallpaperOutput& output : outputs) {
            if (output.xid == x.xvisibility.window) {
                output.obscured = x.xvisibility.state == VisibilityFullyObscured;
            }
        }
    }
    // A window that went under ours, or ours raised over another: back down.
    if (keptDownByUs && x.type == ConfigureNotify && x.xconfigure.event == DefaultRootWindow(display)) {
        bool ours = checkIsOurs(x.xconfigure.window);
        if ((ours && x.xconfigure.above != None) || (!ours && x.xconfigure.above == None)) {
            keepAtTheBottom();
        }
    }
    if (keptDownByUs && x.type == MapNotify && x.xmap.event == DefaultRootWindow(display) &&
        !checkIsOurs(x.xmap.window)) {
        stackChanged = true;
    }
}

void translate(const SDL_Event& in) {
    if (in.type == SDL_QUIT) {
        PlatformEvent quit = {};
        quit.type = PLATFORM_EVENT_QUIT;
        pending.push_back(quit);
    } else if (in.type == SDL_SYSWMEVENT && in.syswm.msg != nullptr && in.syswm.msg->subsystem == SDL_SYSWM_X11) {
        noteXEvent(in.syswm.msg->msg.x11.event);
    }
}

// The windows' visual, from a window SDL makes for the context's attributes.
bool findVisual() {
    setContextAttributes();
    SDL_Window* probe = SDL_CreateWindow("Marivelle wallpaper", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (probe == nullptr) {
        setSdlError("cannot find a visual with 16 depth and 8 stencil bits");
        return false;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    bool found = false;
    if (SDL_GetWindowWMInfo(probe, &info) && info.subsystem == SDL_SYSWM_X11) {
        display = info.info.x11.display;
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, info.info.x11.window, &attributes) != 0) {
            visual = attributes.visual;
            depth = attributes.depth;
            found = true;
        }
    }
    SDL_DestroyWindow(probe);
    return found || failWith("cannot read the visual of the display");
}

bool startOnDisplay() {
    if (!findVisual()) {
        return false;
    }
    XSetWindowAttributes attributes = {};
    attributes.override_redirect = True;
    claimOwner = XCreateWindow(display, DefaultRootWindow(display), -1, -1, 1, 1, 0, 0, InputOnly, CopyFromParent,
                               CWOverrideRedirect, &attributes);
    char why[256];
    if (!claimX11Wallpaper(display, claimOwner, why, sizeof why)) {
        return failWith(why);
    }
    keptDownByUs = !checkX11DesktopWindowsManaged(display);
    colormap = makeX11Colormap(display, visual);
    for (const X11Monitor& monitor : readX11Monitors(display)) {
        if (!addOutput(monitor)) {
            return false;
        }
    }
    context = SDL_GL_CreateContext(outputs.front().window);
    if (context == nullptr || SDL_GL_MakeCurrent(outputs.front().window, context) != 0) {
        setSdlError("cannot create an OpenGL context");
        return false;
    }
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    watchX11Monitors(display);
    startX11StackWatch(display);
    if (keptDownByUs) {
        Window root = DefaultRootWindow(display);
        XWindowAttributes rootAttributes;
        if (XGetWindowAttributes(display, root, &rootAttributes) != 0) {
            XSelectInput(display, root, rootAttributes.your_event_mask | SubstructureNotifyMask);
        }
    }
    for (const WallpaperOutput& output : outputs) {
        mapOutput(output);
    }
    stackChanged = true;
    return true;
}

} // namespace

// The window is under all others already: the layer is Wayland's notion.
bool sdlCreateWallpaper(bool) {
    // A wallpaper never holds the screensaver off, and draws only on X11.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    // Ended with SIGTERM at logout, with SIGINT at a terminal; SDL makes both
    // a quit event only where they keep their default action.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        setSdlError("cannot open the X display");
        return false;
    }
    sdlWallpaperActive = true;
    // Windows of others vanish while their stack is read: from here on an
    // X error is recorded, never the end of the program.
    keepX11ErrorsTrapped();
    if (!startOnDisplay()) {
        char kept[512];
        std::snprintf(kept, sizeof kept, "%s", sdlGetLastError());
        destroyWallpaper();
        setPlainError(kept);
        return false;
    }
    return true;
}

int sdlStopWallpaper() {
    char why[256];
    int stopped = stopX11Wallpaper(why, sizeof why);
    if (stopped < 0) {
        setPlainError(why);
    }
    return stopped;
}

void destroyWallpaper() {
    if (context != nullptr) {
        SDL_GL_MakeCurrent(outputs.empty() ? nullptr : outputs.front().window, nullptr);
        SDL_GL_DeleteContext(context);
        context = nullptr;
    }
    while (!outputs.empty()) {
        removeLastOutput();
    }
    if (display != nullptr && claimOwner != 0) {
        XDestroyWindow(display, claimOwner);
    }
    claimOwner = 0;
    if (display != nullptr && colormap != 0) {
        XFreeColormap(display, colormap);
    }
    colormap = 0;
    pending.clear();
    drainX11Requests();
    display = nullptr;
    sdlWallpaperActive = false;
    ignoreLateSignals();
    SDL_Quit();
}

bool takeWallpaperEvent(PlatformEvent* event, int wait) {
    SDL_Event in;
    while (SDL_PollEvent(&in)) {
        translate(in);
    }
    if (pending.empty() && !monitorsChanged && !stackChanged && wait > 0 && SDL_WaitEventTimeout(&in, wait)) {
        translate(in);
        while (SDL_PollEvent(&in)) {
            translate(in);
        }
    }
    if (monitorsChanged) {
        monitorsChanged = false;
        followMonitors();
    }
    if (stackChanged) {
        stackChanged = false;
        readCoverage();
    }
    if (pending.empty()) {
        return false;
    }
    *event = pending.front();
    pending.pop_front();
    return true;
}

int countWallpaperOutputs() { return static_cast<int>(outputs.size()); }

void readWallpaperOutputSize(int index, int* width, int* height) {
    if (index >= 0 && index < countWallpaperOutputs()) {
        *width = outputs[index].monitor.width;
        *height = outputs[index].monitor.height;
    }
}

bool checkWallpaperOutputVisible(int index) {
    return index >= 0 && index < countWallpaperOutputs() && !outputs[index].obscured && !outputs[index].covered;
}

void makeWallpaperOutputCurrent(int index) {
    if (index >= 0 && index < countWallpaperOutputs()) {
        SDL_GL_MakeCurrent(outputs[index].window, context);
    }
}

void presentWallpaperOutput(int index) {
    if (index >= 0 && index < countWallpaperOutputs()) {
        SDL_GL_SwapWindow(outputs[index].window);
    }
}
