// X11 wallpaper backend: one wallpaper a display. The claim is a selection
// named for the screen, as ICCCM's manager selections are: the server drops
// it with its owner's connection, however the owner ended.
#include <X11/Xlib.h>

#include <cstdio>

#include "platform/backend.h"
#include "platform/system/last_error.h"
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

// True once WINDOW is gone from the display, waiting at most
// kWallpaperEndSeconds.
bool waitForWindowGone(Display* display, Window window) {
    bool gone = waitUntilDone(ConnectionNumber(display), kWallpaperEndSeconds, [&] {
        XEvent event;
        return XCheckTypedWindowEvent(display, window, DestroyNotify, &event) != 0;
    });
    return gone || !checkX11WindowExists(display, window);
}

} // namespace

bool claimX11Wallpaper(Display* display, Window owner) {
    Atom claim = findClaimAtom(display);
    Window previous = XGetSelectionOwner(display, claim);
    bool waitFor = previous != None && followOwner(display, previous);
    XSetSelectionOwner(display, claim, owner, CurrentTime);
    if (XGetSelectionOwner(display, claim) != owner) {
        setPlatformError("cannot claim the display's wallpaper: the X server kept it for another");
        return false;
    }
    if (waitFor && !waitForWindowGone(display, previous)) {
        setPlatformError("the wallpaper that ran before did not end within %d seconds", kWallpaperEndSeconds);
        return false;
    }
    return true;
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
        XSetSelectionOwner(display, claim, taker, CurrentTime);
        XFlush(display);
        result = 1;
        if (!waitForWindowGone(display, running)) {
            setPlatformError("the wallpaper did not end within %d seconds", kWallpaperEndSeconds);
            result = -1;
        }
    }
    XCloseDisplay(display);
    return result;
}
