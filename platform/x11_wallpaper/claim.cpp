// X11 wallpaper backend: one wallpaper a display. The claim is a selection
// named for the screen, as ICCCM's manager selections are: the server drops
// it with its owner's connection, however the owner ended.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>

#include "platform/backend.h"
#include "platform/system/last_error.h"
#include "platform/system/quit_signals.h"
#include "platform/system/wait.h"
#include "platform/x11/errors.h"
#include "platform/x11_wallpaper/x11_wallpaper_backend.h"

namespace {

Atom findClaimAtom(Display* display) {
    char name[64];
    std::snprintf(name, sizeof name, "_MARIVELLE_WALLPAPER_S%d", DefaultScreen(display));
    return XInternAtom(display, name, False);
}

// Follows the claim's owner from now on, so its end can be waited for; false
// when it is already gone.
bool followOwner(Display* display, Window owner) {
    return !checkX11RequestsFail(display, owner, [&] { XSelectInput(display, owner, StructureNotifyMask); });
}

// Waits at most kWallpaperEndSeconds for WINDOW to go from the display; a
// quit signal (when they are caught) cuts the wait short. Done once it has
// gone.
WaitEnd waitForWindowGone(Display* display, Window window) {
    WaitEnd end = waitUntilDoneUnlessStopped(ConnectionNumber(display), readQuitSignalDescriptor(),
                                            kWallpaperEndSeconds, [&] {
                                                XEvent event;
                                                return XCheckTypedWindowEvent(display, window, DestroyNotify,
                                                                              &event) != 0;
                                            });
    if (end == WaitEnd::TimedOut && !checkX11WindowExists(display, window)) {
        return WaitEnd::Done;
    }
    return end;
}

// The server's time now, as ICCCM asks of a selection's new owner: the time
// of a PropertyNotify that a zero-length append to a property of WINDOW (a
// window of ours) brings. CurrentTime when none comes in time.
Time readServerTime(Display* display, Window window) {
    XWindowAttributes attributes;
    long mask = XGetWindowAttributes(display, window, &attributes) != 0 ? attributes.your_event_mask : 0;
    XSelectInput(display, window, mask | PropertyChangeMask);
    Atom stamp = XInternAtom(display, "_MARIVELLE_TIMESTAMP", False);
    XChangeProperty(display, window, stamp, XA_STRING, 8, PropModeAppend, nullptr, 0);
    Time time = CurrentTime;
    waitUntilDone(ConnectionNumber(display), kWallpaperEndSeconds, [&] {
        XEvent event;
        while (XCheckTypedWindowEvent(display, window, PropertyNotify, &event) != 0) {
            if (event.xproperty.atom == stamp) {
                time = event.xproperty.time;
                return true;
            }
        }
        return false;
    });
    XSelectInput(display, window, mask);
    return time;
}

} // namespace

bool claimX11Wallpaper(Display* display, Window owner) {
    Atom claim = findClaimAtom(display);
    Window previous = XGetSelectionOwner(display, claim);
    bool waitFor = previous != None && followOwner(display, previous);
    XSetSelectionOwner(display, claim, owner, readServerTime(display, owner));
    if (XGetSelectionOwner(display, claim) != owner) {
        setPlatformError("cannot claim the display's wallpaper: the X server kept it for another");
        return false;
    }
    switch (waitFor ? waitForWindowGone(display, previous) : WaitEnd::Done) {
    case WaitEnd::Done:
        return true;
    case WaitEnd::Stopped:
        setPlatformError("asked to end while waiting for the wallpaper that ran before to end");
        return false;
    case WaitEnd::TimedOut:
        break;
    }
    setPlatformError("the wallpaper that ran before did not end within %d seconds", kWallpaperEndSeconds);
    return false;
}

bool checkX11WallpaperTaken(Display* display, Window owner, const XEvent& event) {
    return event.type == SelectionClear && event.xselectionclear.window == owner &&
           event.xselectionclear.selection == findClaimAtom(display);
}

int stopX11Wallpaper() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        setPlatformError("cannot open the X display (DISPLAY is not set or cannot be opened)");
        return -1;
    }
    Atom claim = findClaimAtom(display);
    Window running = XGetSelectionOwner(display, claim);
    int result = 0;
    if (running != None && followOwner(display, running)) {
        // Taking the claim is how a wallpaper is told to end, whoever takes it.
        XSetWindowAttributes attributes = {};
        attributes.override_redirect = True;
        Window taker = XCreateWindow(display, DefaultRootWindow(display), -1, -1, 1, 1, 0, 0, InputOnly,
                                     CopyFromParent, CWOverrideRedirect, &attributes);
        XSetSelectionOwner(display, claim, taker, readServerTime(display, taker));
        XFlush(display);
        result = 1;
        if (waitForWindowGone(display, running) != WaitEnd::Done) {
            setPlatformError("the wallpaper did not end within %d seconds", kWallpaperEndSeconds);
            result = -1;
        }
    }
    XCloseDisplay(display);
    return result;
}
