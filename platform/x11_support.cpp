#include "platform/x11_support.h"

#include <SDL_syswm.h>

#include <cstdio>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

using ErrorHandler = int (*)(Display*, XErrorEvent*);

ErrorHandler previousHandler = nullptr;
bool trapping = false;
bool keptForTheRun = false;
bool trapped = false;
unsigned char trappedErrorCode = 0;
unsigned char trappedRequestCode = 0;

int recordX11Error(Display*, XErrorEvent* event) {
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
    return info.info.x11.display;
}

// Runs REQUESTS with X errors recorded, waits for the server to answer them
// and tells whether any failed. An outer trap's record is kept as it was.
template <typename Requests>
bool checkRequestsFail(Display* display, Requests requests) {
    ErrorHandler previous = XSetErrorHandler(recordX11Error);
    bool earlier = trapped;
    trapped = false;
    requests();
    XSync(display, False);
    bool failed = trapped;
    trapped = earlier;
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

bool readX11WindowSize(SDL_Window* window, int* width, int* height) {
    Window xid = 0;
    Display* display = findX11Display(window, &xid);
    if (display == nullptr) {
        return false;
    }
    XWindowAttributes attributes;
    Status ok = 0;
    bool failed = checkRequestsFail(display, [&] { ok = XGetWindowAttributes(display, xid, &attributes); });
    if (ok == 0 || failed) {
        return false;
    }
    *width = attributes.width;
    *height = attributes.height;
    return true;
}

bool checkX11WindowManager(SDL_Window* window) {
    Display* display = findX11Display(window, nullptr);
    if (display == nullptr) {
        return true;
    }
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
    bool failed = checkRequestsFail(display, [&] {
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
    bool failed = checkRequestsFail(display, [&] { ok = XGetWindowAttributes(display, window, &attributes); });
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
bool readX11WindowSize(SDL_Window*, int*, int*) { return false; }
bool checkX11WindowManager(SDL_Window*) { return true; }

#endif
