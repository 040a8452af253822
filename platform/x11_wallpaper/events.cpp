// X11 wallpaper backend: reading the display and the quit signals, and the
// events the program takes.
#include <poll.h>

#include "platform/platform.h"
#include "platform/system/event_queue.h"
#include "platform/system/quit_signals.h"
#include "platform/x11/blanking.h"
#include "platform/x11/coverage.h"
#include "platform/x11_wallpaper/x11_wallpaper_backend.h"

namespace {

// The wallpaper hears of nearly every change by event; it wakes now and
// then all the same, which costs nothing that shows, and is how a monitor
// that DPMS powered down is seen to wake (no event tells of it).
constexpr int kWaitMilliseconds = 1000;

// What the events read so far say must be looked at again before the
// program is told anything.
bool monitorsChanged = false;
bool stackChanged = false;

// Reads one X event: what it changes is noted, and a QUIT is queued when
// another took the display's wallpaper over.
void noteXEvent(const XEvent& x) {
    Display* display = wallpaperDisplay;
    if (checkX11WallpaperTaken(display, wallpaperClaimOwner, x)) {
        queuePlatformEvent(PLATFORM_EVENT_QUIT);
        return;
    }
    if (checkX11MonitorEvent(display, x)) {
        monitorsChanged = true;
    }
    if (noteX11StackEvent(display, x)) {
        stackChanged = true;
    }
    // The screen saver's notices: the outputs are looked at again after
    // every wake-up, and hidden while it is on.
    noteX11BlankEvent(display, x);
    if (x.type == VisibilityNotify) {
        for (WallpaperOutput& output : wallpaperOutputs) {
            if (output.window == x.xvisibility.window) {
                output.obscured = x.xvisibility.state == VisibilityFullyObscured;
            }
        }
    }
}

void readWaitingXEvents() {
    // XPending sends what was asked before it reads.
    while (XPending(wallpaperDisplay) > 0) {
        XEvent x;
        XNextEvent(wallpaperDisplay, &x);
        noteXEvent(x);
    }
}

} // namespace

void pumpWallpaperEvents(int wait) {
    if (wallpaperDisplay == nullptr) {
        return;
    }
    readWaitingXEvents();
    bool due = checkEventsQueued() || monitorsChanged || stackChanged || checkWallpaperPlaceDue();
    pollfd watched[2] = {{ConnectionNumber(wallpaperDisplay), POLLIN, 0}, {readQuitSignalDescriptor(), POLLIN, 0}};
    int ready = poll(watched, 2, due ? 0 : wait);
    if (ready > 0 && (watched[0].revents & POLLIN) != 0) {
        readWaitingXEvents();
    }
    if (takeQuitSignal()) {
        queuePlatformEvent(PLATFORM_EVENT_QUIT);
    }
    if (monitorsChanged) {
        monitorsChanged = false;
        followWallpaperMonitors();
        stackChanged = false;
    }
    if (stackChanged || checkWallpaperPlaceDue()) {
        stackChanged = false;
        // A window raised over ours, or ours over another: back in place
        // before anything is drawn.
        keepWallpaperInPlace();
        readWallpaperCoverage();
    }
}

void forgetWallpaperEvents() {
    monitorsChanged = false;
    stackChanged = false;
}

bool x11WallpaperPollEvent(PlatformEvent* event) {
    pumpWallpaperEvents(0);
    return takeQueuedEvent(event);
}

bool x11WallpaperWaitEvent(PlatformEvent* event) {
    if (!checkEventsQueued()) {
        pumpWallpaperEvents(kWaitMilliseconds);
    }
    return takeQueuedEvent(event);
}
