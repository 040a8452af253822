#include "platform/x11/errors.h"

#include <X11/Xatom.h>
#include <unistd.h>

#include <cstdio>

#include "platform/platform.h"
#include "platform/x11/coverage.h"

namespace {

using ErrorHandler = int (*)(Display*, XErrorEvent*);

ErrorHandler previousHandler = nullptr;
bool trapping = false;
bool keptForTheRun = false;
bool trapped = false;
unsigned char trappedErrorCode = 0;
unsigned char trappedRequestCode = 0;

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

// Xlib ends the process once this returns; nothing more may be sent on the
// dead connection, so no exit handler runs either.
int reportConnectionLoss(Display*) {
    static const char line[] = "Marivelle: the X server closed the connection\n";
    ssize_t ignored = write(STDERR_FILENO, line, sizeof line - 1);
    (void)ignored;
    _exit(kPlatformLostExitStatus);
}

} // namespace

void catchX11ConnectionLoss() { XSetIOErrorHandler(reportConnectionLoss); }

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

bool endX11ErrorTrap(Display* display, char* why, size_t size) {
    if (!trapping) {
        return false;
    }
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
    // Without a display to ask, an error of GLX is the likeliest cause: a
    // library that made a window may have made a context to learn the
    // driver's extensions.
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

X11WindowState readX11WindowState(Display* display, Window window) {
    X11WindowState state;
    XWindowAttributes attributes;
    Status ok = 0;
    bool failed =
        checkRequestsFail(display, window, [&] { ok = XGetWindowAttributes(display, window, &attributes); });
    if (ok == 0 || failed) {
        return state;
    }
    state.found = true;
    state.width = attributes.width;
    state.height = attributes.height;
    state.viewable = attributes.map_state == IsViewable;
    return state;
}

void watchX11Visibility(Display* display, Window window) {
    // Added to what was selected there: a second XSelectInput would replace it.
    XWindowAttributes attributes;
    if (!checkRequestsFail(display, window, [&] { XGetWindowAttributes(display, window, &attributes); })) {
        XSelectInput(display, window, attributes.your_event_mask | VisibilityChangeMask);
    }
    startX11StackWatch(display);
}

bool readX11VisibilityChange(Window window, const XEvent& event, bool* obscured) {
    if (event.type != VisibilityNotify || event.xvisibility.window != window) {
        return false;
    }
    *obscured = event.xvisibility.state == VisibilityFullyObscured;
    return true;
}

void drainX11Requests(Display* display) {
    if (display == nullptr) {
        return;
    }
    ErrorHandler previous = XSetErrorHandler(recordX11Error);
    XSync(display, False);
    XSetErrorHandler(previous);
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
