#include "platform/x11_support.h"

#include <SDL_syswm.h>

#include <cstdio>
#include <cstring>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "platform/x11_coverage.h"

namespace {

using ErrorHandler = int (*)(Display*, XErrorEvent*);

ErrorHandler previousHandler = nullptr;
bool trapping = false;
bool keptForTheRun = false;
bool trapped = false;
unsigned char trappedErrorCode = 0;
unsigned char trappedRequestCode = 0;
// SDL's connection, as learnt when a trap began or seen through a window.
Display* sdlDisplay = nullptr;

// The check that checkRequestsFail runs: an error counts against it only when
// it answers one of the check's own requests (serial from firstSerial on, on
// its display) about its resource (0: any). Any other error goes on to the
// handler that was in place outside the check (forwardTo), or is recorded.
struct RunningCheck {
    Display* display = nullptr;
    unsigned long firstSerial = 0;
    unsigned long resource = 0;
    ErrorHandler forwardTo = nullptr;
    bool failed = false;
};
RunningCheck check;

int recordX11Error(Display* display, XErrorEvent* event) {
    if (check.display == display && event->serial >= check.firstSerial &&
        (check.resource == 0 || event->resourceid == check.resource)) {
        check.failed = true;
        return 0;
    }
    if (check.display != nullptr && check.forwardTo != nullptr) {
        return check.forwardTo(display, event);
    }
    if (!trapped) {
        trapped = true;
        trappedErrorCode = event->error_code;
        trappedRequestCode = event->request_code;
    }
    return 0;
}

Display* findX11Display(SDL_Window* window, Window* xid) {
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
    return info.info.x11.display;
}

// SDL 2 hands out its connection only through a window: a plain one, never
// shown and with no OpenGL visual, asks nothing of GLX.
void learnSdlDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (sdlDisplay != nullptr || driver == nullptr || std::strcmp(driver, "x11") != 0) {
        return;
    }
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN);
    if (probe != nullptr) {
        findX11Display(probe, nullptr);
        SDL_DestroyWindow(probe);
    }
}

// Runs REQUESTS, which concern RESOURCE (0: no one resource), waits for the
// server to answer them and tells whether any of them failed. Errors of
// earlier requests that arrive meanwhile are not the check's: they go where
// they would have gone without it.
template <typename Requests>
bool checkRequestsFail(Display* display, unsigned long resource, Requests requests) {
    ErrorHandler previous = XSetErrorHandler(recordX11Error);
    check.display = display;
    check.firstSerial = NextRequest(display);
    check.resource = resource;
    check.forwardTo = previous != recordX11Error ? previous : nullptr;
    check.failed = false;
    requests();
    XSync(display, False);
    bool failed = check.failed;
    check = RunningCheck{};
    XSetErrorHandler(previous);
    return failed;
}

} // namespace

void beginX11ErrorTrap() {
    if (trapping) {
        return;
    }
    trapped = false;
    trapping = true;
    if (!keptForTheRun) {
        previousHandler = XSetErrorHandler(recordX11Error);
    }
    learnSdlDisplay();
}

void keepX11ErrorsTrapped() {
    if (!keptForTheRun && !trapping) {
        previousHandler = XSetErrorHandler(recordX11Error);
    }
    keptForTheRun = true;
}

bool takeX11ErrorSeen() {
    if (trapping) {
        return false;
    }
    bool seen = trapped;
    trapped = false;
    return seen;
}

bool endX11ErrorTrap(SDL_Window* window, char* why, size_t size) {
    if (!trapping) {
        return false;
    }
    Display* display = findX11Display(window, nullptr);
    if (display != nullptr) {
        XSync(display, False);
    }
    if (!keptForTheRun) {
        XSetErrorHandler(previousHandler);
    }
    trapping = false;
    if (!trapped) {
        return false;
    }
    int glxOpcode = -1;
    int firstEvent = 0;
    int firstError = 0;
    if (display == nullptr || !XQueryExtension(display, "GLX", &glxOpcode, &firstEvent, &firstError)) {
        glxOpcode = -1;
    }
    // Without a window the display is SDL's, which has already gone: an error
    // of GLX is then the likeliest cause, as creating the window made a
    // context to learn the driver's extensions.
    if (trappedRequestCode == glxOpcode || (display == nullptr && trappedRequestCode >= 128)) {
        std::snprintf(why, size,
                      "the display refused an OpenGL context (X error %d on GLX request; remote displays "
                      "need direct rendering)",
                      trappedErrorCode);
    } else {
        std::snprintf(why, size, "the X server refused to set up the window (X error %d on request %d)",
                      trappedErrorCode, trappedRequestCode);
    }
    return true;
}

X11WindowState readX11WindowState(SDL_Window* window) {
    X11WindowState state;
    Window xid = 0;
    Display* display = findX11Display(window, &xid);
    if (display == nullptr) {
        return state;
    }
    XWindowAttributes attributes;
    Status ok = 0;
    bool failed = checkRequestsFail(display, xid, [&] { ok = XGetWindowAttributes(display, xid, &attributes); });
    if (ok == 0 || failed) {
        return state;
    }
    state.found = true;
    state.width = attributes.width;
    state.height = attributes.height;
    state.viewable = attributes.map_state == IsViewable;
    return state;
}

void watchX11Visibility(SDL_Window* window) {
    Window xid = 0;
    Display* display = findX11Display(window, &xid);
    if (display == nullptr) {
        return;
    }
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    // Added to what SDL selected: a second XSelectInput would replace it.
    XWindowAttributes attributes;
    if (!checkRequestsFail(display, xid, [&] { XGetWindowAttributes(display, xid, &attributes); })) {
        XSelectInput(display, xid, attributes.your_event_mask | VisibilityChangeMask);
    }
    startX11StackWatch(display);
}

bool readX11VisibilityChange(SDL_Window* window, const SDL_Event& event, bool* obscured) {
    if (event.type != SDL_SYSWMEVENT || event.syswm.msg == nullptr || event.syswm.msg->subsystem != SDL_SYSWM_X11) {
        return false;
    }
    const XEvent& x = event.syswm.msg->msg.x11.event;
    Window xid = 0;
    if (x.type != VisibilityNotify || findX11Display(window, &xid) == nullptr || x.xvisibility.window != xid) {
        return false;
    }
    *obscured = x.xvisibility.state == VisibilityFullyObscured;
    return true;
}

bool readX11StackChange(SDL_Window* window, const SDL_Event& event) {
    if (event.type != SDL_SYSWMEVENT || event.syswm.msg == nullptr || event.syswm.msg->subsystem != SDL_SYSWM_X11) {
        return false;
    }
    Display* display = findX11Display(window, nullptr);
    return display != nullptr && noteX11StackEvent(display, event.syswm.msg->msg.x11.event);
}

bool checkX11StackCovers(SDL_Window* window) {
    Window xid = 0;
    Display* display = findX11Display(window, &xid);
    return display != nullptr && checkX11WindowCovered(display, xid);
}

void drainX11Requests() {
    if (sdlDisplay == nullptr) {
        return;
    }
    ErrorHandler previous = XSetErrorHandler(recordX11Error);
    XSync(sdlDisplay, False);
    XSetErrorHandler(previous);
    sdlDisplay = nullptr;
}

bool checkX11RequestsFail(Display* display, unsigned long resource, const std::function<void()>& requests) {
    return checkRequestsFail(display, resource, requests);
}

bool checkX11WindowExists(Display* display, Window window) {
    XWindowAttributes attributes;
    Status ok = 0;
    bool failed = checkRequestsFail(display, window, [&] { ok = XGetWindowAttributes(display, window, &attributes); });
    return ok != 0 && !failed;
}

bool checkX11WindowManager(SDL_Window* window) {
    Display* display = findX11Display(window, nullptr);
    return display == nullptr || checkX11WindowManagerRuns(display);
}

bool checkX11WindowManagerRuns(Display* display) {
    // An EWMH manager names its own check window on the root, and the same
    // property on that window names it again (a stale property from a manager
    // that has quit fails the second test).
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    auto readWindowProperty = [&](Window from, Window* value) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        bool found = XGetWindowProperty(display, from, check, 0, 1, False, XA_WINDOW, &type, &format,
                                        &count, &after, &data) == Success &&
                     type == XA_WINDOW && format == 32 && count == 1 && data != nullptr;
        if (found) {
            *value = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
        }
        if (data != nullptr) {
            XFree(data);
        }
        return found;
    };
    Window manager = 0;
    Window again = 0;
    bool named = false;
    bool failed = checkRequestsFail(display, 0, [&] {
        named = readWindowProperty(DefaultRootWindow(display), &manager) &&
                readWindowProperty(manager, &again) && again == manager;
    });
    return named && !failed;
}

bool resolveX11Window(unsigned long id, unsigned long* resolved, char* why, size_t size) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::snprintf(why, size, "cannot open the X display to find window 0x%lx", id);
        return false;
    }
    Window window = id != 0 ? static_cast<Window>(id) : DefaultRootWindow(display);
    // A window id that names nothing, or something other than a window,
    // answers BadWindow or BadDrawable; trapped, it only fails the check.
    XWindowAttributes attributes;
    Status ok = 0;
    bool failed =
        checkRequestsFail(display, window, [&] { ok = XGetWindowAttributes(display, window, &attributes); });
    bool exists = ok != 0 && !failed;
    XCloseDisplay(display);
    if (!exists) {
        std::snprintf(why, size, "window 0x%lx does not exist or is not a window", static_cast<unsigned long>(window));
        return false;
    }
    if (attributes.c_class == InputOnly) {
        std::snprintf(why, size, "window 0x%lx takes input only and cannot be drawn in",
                      static_cast<unsigned long>(window));
        return false;
    }
    *resolved = static_cast<unsigned long>(window);
    return true;
}

#else

void keepX11ErrorsTrapped() {}
bool takeX11ErrorSeen() { return false; }
bool resolveX11Window(unsigned long id, unsigned long*, char* why, size_t size) {
    std::snprintf(why, size, "drawing into window 0x%lx needs an X11 display", id);
    return false;
}
void beginX11ErrorTrap() {}
bool endX11ErrorTrap(SDL_Window*, char*, size_t) { return false; }
X11WindowState readX11WindowState(SDL_Window*) { return X11WindowState{}; }
void watchX11Visibility(SDL_Window*) {}
bool readX11VisibilityChange(SDL_Window*, const SDL_Event&, bool*) { return false; }
bool readX11StackChange(SDL_Window*, const SDL_Event&) { return false; }
bool checkX11StackCovers(SDL_Window*) { return false; }
void drainX11Requests() {}
bool checkX11WindowManager(SDL_Window*) { return true; }
bool checkX11RequestsFail(Display*, unsigned long, const std::function<void()>&) { return true; }
bool checkX11WindowExists(Display*, Window) { return false; }
bool checkX11WindowManagerRuns(Display*) { return false; }

#endif
