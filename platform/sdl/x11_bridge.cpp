#include "platform/sdl/x11_bridge.h"

#include <SDL_syswm.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <cstring>

#include "platform/x11/blanking.h"
#include "platform/x11/coverage.h"

namespace {

// SDL's connection, as learnt when a trap began or seen through a window.
Display* sdlDisplay = nullptr;

// SDL 2 hands out its connection only through a window: a plain one, never
// shown and with no OpenGL visual, asks nothing of GLX.
void learnSdlDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (sdlDisplay != nullptr || driver == nullptr || std::strcmp(driver, "x11") != 0) {
        return;
    }
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN);
    if (probe != nullptr) {
        findSdlX11Window(probe, nullptr);
        SDL_DestroyWindow(probe);
    }
}

} // namespace

void keepSdlX11ErrorsTrapped() { keepX11ErrorsTrapped(); }

Display* findSdlX11Window(SDL_Window* window, Window* xid) {
    if (window == nullptr) {
        return nullptr;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return nullptr;
    }
    if (xid != nullptr) {
        *xid = info.info.x11.window;
    }
    sdlDisplay = info.info.x11.display;
    return sdlDisplay;
}

const XEvent* readSdlX11Event(const SDL_Event& event) {
    if (event.type != SDL_SYSWMEVENT || event.syswm.msg == nullptr || event.syswm.msg->subsystem != SDL_SYSWM_X11) {
        return nullptr;
    }
    return &event.syswm.msg->msg.x11.event;
}

void beginSdlX11ErrorTrap() {
    beginX11ErrorTrap();
    learnSdlDisplay();
    // SDL's connection is the program's own for as long as it runs.
    if (sdlDisplay != nullptr) {
        catchX11ConnectionLoss();
    }
}

bool endSdlX11ErrorTrap(SDL_Window* window, char* why, size_t size) {
    return endX11ErrorTrap(findSdlX11Window(window, nullptr), why, size);
}

void drainSdlX11Requests() {
    drainX11Requests(sdlDisplay);
    sdlDisplay = nullptr;
}

X11WindowState readSdlWindowState(SDL_Window* window) {
    Window xid = 0;
    Display* display = findSdlX11Window(window, &xid);
    return display != nullptr ? readX11WindowState(display, xid) : X11WindowState{};
}

void watchSdlWindowVisibility(SDL_Window* window) {
    Window xid = 0;
    Display* display = findSdlX11Window(window, &xid);
    if (display == nullptr) {
        return;
    }
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    watchX11Visibility(display, xid);
    startX11BlankWatch(display);
}

bool checkSdlWindowCovered(SDL_Window* window) {
    Window xid = 0;
    Display* display = findSdlX11Window(window, &xid);
    return display != nullptr && checkX11WindowCovered(display, xid);
}

bool checkSdlScreenBlank(SDL_Window* window, bool saverCounts) {
    Display* display = findSdlX11Window(window, nullptr);
    return display != nullptr && checkX11ScreenBlank(display, saverCounts);
}

bool checkSdlWindowManager(SDL_Window* window) {
    Display* display = findSdlX11Window(window, nullptr);
    return display == nullptr || checkX11WindowManagerRuns(display);
}

bool checkX11KeyInKeymap(Display* display, const char* keys, KeySym keysym) {
    KeyCode code = XKeysymToKeycode(display, keysym);
    return code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0;
}

bool checkSdlX11KeyHeld(SDL_Window* window, KeySym keysym) {
    Display* display = findSdlX11Window(window, nullptr);
    if (display == nullptr) {
        return false;
    }
    char keys[32];
    XQueryKeymap(display, keys);
    return checkX11KeyInKeymap(display, keys, keysym);
}

void makeSdlX11WindowPassive(SDL_Window* window) {
    Window xid = 0;
    Display* display = findSdlX11Window(window, &xid);
    if (display == nullptr) {
        return;
    }
    XWMHints* hints = XGetWMHints(display, xid);
    XWMHints passive = hints != nullptr ? *hints : XWMHints{};
    if (hints != nullptr) {
        XFree(hints);
    }
    passive.flags |= InputHint;
    passive.input = False;
    XSetWMHints(display, xid, &passive);
    XShapeCombineRectangles(display, xid, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
    XFlush(display);
}
