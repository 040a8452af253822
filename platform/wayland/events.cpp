// Wayland backend: reading the compositor, the quit signals and the claim
// socket, and the events the program takes.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "platform/wl_backend.h"

namespace {

int signalPipe[2] = {-1, -1};
// Set once the connection is lost; the program is told once, then nothing
// more is read from it.
bool lost = false;

void noteSignal(int) {
    char byte = 1;
    // Nothing can be done in a handler about a full pipe: one byte is enough.
    ssize_t ignored = write(signalPipe[1], &byte, 1);
    (void)ignored;
}

void pushType(PlatformEventType type) {
    PlatformEvent event = {};
    event.type = type;
    wlPending.push_back(event);
}

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
        setWlError("the Wayland compositor ended the connection over a protocol error (%s, code %u)",
                   interface != nullptr ? interface->name : "unknown interface", code);
    } else {
        setWlError("the Wayland compositor closed the connection");
    }
    pushType(PLATFORM_EVENT_LOST);
    return false;
}

bool takePending(PlatformEvent* event) {
    if (wlPending.empty()) {
        return false;
    }
    *event = wlPending.front();
    wlPending.pop_front();
    return true;
}

} // namespace

bool catchWlSignals() {
    if (signalPipe[0] < 0 && pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        setWlError("cannot make a pipe for the quit signals: %s", std::strerror(errno));
        return false;
    }
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    return true;
}

void releaseWlSignals() {
    // From here on the program is closing: a late signal must not end it
    // with the signal's status instead of its own.
    std::signal(SIGTERM, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);
}

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
    pollfd watched[3] = {{wl_display_get_fd(wlDisplay), POLLIN, 0}, {signalPipe[0], POLLIN, 0},
                         {readWlClaimDescriptor(), POLLIN, 0}};
    // Something already queued for the program is no reason to sleep.
    int ready = poll(watched, 3, wlPending.empty() ? wait : 0);
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
    if (ready > 0 && (watched[1].revents & POLLIN) != 0) {
        char bytes[16];
        while (read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        pushType(PLATFORM_EVENT_QUIT);
    }
    if (ready > 0 && (watched[2].revents & POLLIN) != 0 && takeWlClaimRequest()) {
        pushType(PLATFORM_EVENT_QUIT);
    }
    return true;
}

bool wlPollEvent(PlatformEvent* event) {
    pumpWlEvents(0);
    if (!lost) {
        applyWlOutputChanges();
    }
    return takePending(event);
}

bool wlWaitEvent(PlatformEvent* event) {
    if (wlPending.empty()) {
        // With every output hidden, nothing is due until the compositor,
        // a signal or another wallpaper says something.
        pumpWlEvents(checkWlAnyOutputSeen() ? 0 : -1);
    }
    return wlPollEvent(event);
}
