// Wayland backend: reading the compositor, the quit signals and the claim
// socket, and the events the program takes.
#include <poll.h>

#include <cerrno>

#include "platform/system/event_queue.h"
#include "platform/system/last_error.h"
#include "platform/system/quit_signals.h"
#include "platform/wayland/wayland_backend.h"

namespace {

// Set once the connection is lost; the program is told once, then nothing
// more is read from it.
bool lost = false;

// Records why the connection ended and queues the LOST event. False.
bool loseConnection() {
    if (lost) {
        return false;
    }
    lost = true;
    int error = wl_display_get_error(wlDisplay);
    const wl_interface* interface = nullptr;
    uint32_t id = 0;
    if (error == EPROTO) {
        uint32_t code = wl_display_get_protocol_error(wlDisplay, &interface, &id);
        setPlatformError("the Wayland compositor ended the connection over a protocol error (%s, code %u)",
                         interface != nullptr ? interface->name : "unknown interface", code);
    } else {
        setPlatformError("the Wayland compositor closed the connection");
    }
    queuePlatformEvent(PLATFORM_EVENT_LOST);
    return false;
}

} // namespace

bool pumpWlEvents(int wait) {
    if (wlDisplay == nullptr || lost) {
        return false;
    }
    while (wl_display_prepare_read(wlDisplay) != 0) {
        if (wl_display_dispatch_pending(wlDisplay) < 0) {
            return loseConnection();
        }
    }
    if (wl_display_flush(wlDisplay) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(wlDisplay);
        return loseConnection();
    }
    pollfd watched[3] = {{wl_display_get_fd(wlDisplay), POLLIN, 0}, {readQuitSignalDescriptor(), POLLIN, 0},
                         {readWlClaimDescriptor(), POLLIN, 0}};
    // Something already queued for the program is no reason to sleep.
    int ready = poll(watched, 3, checkEventsQueued() ? 0 : wait);
    if (ready > 0 && (watched[0].revents & POLLIN) != 0) {
        if (wl_display_read_events(wlDisplay) < 0) {
            return loseConnection();
        }
    } else {
        wl_display_cancel_read(wlDisplay);
        if (ready > 0 && (watched[0].revents & (POLLHUP | POLLERR)) != 0) {
            return loseConnection();
        }
    }
    if (wl_display_dispatch_pending(wlDisplay) < 0) {
        return loseConnection();
    }
    if (ready > 0 && (watched[1].revents & POLLIN) != 0 && takeQuitSignal()) {
        queuePlatformEvent(PLATFORM_EVENT_QUIT);
    }
    if (ready > 0 && (watched[2].revents & POLLIN) != 0 && takeWlClaimRequest()) {
        queuePlatformEvent(PLATFORM_EVENT_QUIT);
    }
    return true;
}

bool wlPollEvent(PlatformEvent* event) {
    pumpWlEvents(0);
    if (!lost) {
        applyWlOutputChanges();
    }
    return takeQueuedEvent(event);
}

bool wlWaitEvent(PlatformEvent* event) {
    if (!checkEventsQueued()) {
        // With every output hidden, nothing is due until the compositor,
        // a signal or another wallpaper says something, or a surface the
        // compositor closed may be made again.
        int wait = checkWlAnyOutputSeen() ? 0 : readWlRemakeWait();
        pumpWlEvents(wait);
    }
    return wlPollEvent(event);
}
