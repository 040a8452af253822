// SDL backend: the window a desktop shell shows as its background. The
// shell's words come on standard input, read on a thread of their own, and
// reach the event loop as SDL events, in order with the window's own.
#include <SDL.h>

#include <cstdint>
#include <cstdlib>

#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/x11_bridge.h"
#include "platform/system/host_channel.h"
#include "platform/system/last_error.h"
#include "platform/system/screen_lock.h"

bool sdlEmbedded = false;
bool sdlHostSeen = true;
bool sdlScreenLocked = false;

namespace {

// Two event types: the shell's words, then the screen lock's news.
Uint32 hostEventType = static_cast<Uint32>(-1);

// On the reading thread: SDL_PushEvent is safe from any thread, and does
// nothing once SDL has shut down.
void deliverHostWord(const HostWord& word) {
    SDL_Event event = {};
    event.type = hostEventType;
    event.user.code = static_cast<Sint32>(word.kind);
    event.user.data1 = reinterpret_cast<void*>(static_cast<intptr_t>(word.width));
    event.user.data2 = reinterpret_cast<void*>(static_cast<intptr_t>(word.height));
    SDL_PushEvent(&event);
}

void deliverLock(bool locked) {
    SDL_Event event = {};
    event.type = hostEventType + 1;
    event.user.code = locked ? 1 : 0;
    SDL_PushEvent(&event);
}

} // namespace

bool sdlCreateEmbeddedWindow(const char* title, int width, int height) {
    // A shell that owns the program as its Wayland client finds its window
    // only there; SDL 2 would otherwise take X11 through Xwayland first.
    if (std::getenv("WAYLAND_SOCKET") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland,x11");
    }
    // Nobody sees the window itself, only the shell's copy of its picture.
    SDL_SetHint(SDL_HINT_VIDEO_WAYLAND_ALLOW_LIBDECOR, "0");
    sdlEmbedded = true;
    if (!sdlCreateWindow(title, width, height)) {
        sdlEmbedded = false;
        return false;
    }
    hostEventType = SDL_RegisterEvents(2);
    if (hostEventType == static_cast<Uint32>(-1)) {
        setSdlError("cannot listen to the desktop shell");
        sdlDestroyWindow();
        return false;
    }
    // An X11 window manager hides a minimised window from its compositor
    // too, so there the shell leaves it in place, never focused and clicked
    // through, and only draws its copy (a Wayland client's window is
    // minimised, which does both).
    makeSdlX11WindowPassive(sdlWindow);
    // The shell may hide the window; a swap must never wait for a frame the
    // compositor will not ask of a hidden window. The frame cap paces.
    SDL_GL_SetSwapInterval(0);
    // Seen until the shell says otherwise: a Wayland window appears only
    // once it has shown a picture, and the shell knows it only then.
    sdlHostSeen = true;
    if (!startHostChannel(deliverHostWord)) {
        sdlDestroyWindow();
        return false;
    }
    // Without a session bus the lock goes unheard, and the shell's word
    // alone decides.
    sdlScreenLocked = false;
    startScreenLockWatch(deliverLock);
    return true;
}

bool translateHostEvent(const SDL_Event& in, PlatformEvent* out) {
    if (!sdlEmbedded || (in.type != hostEventType && in.type != hostEventType + 1)) {
        return false;
    }
    if (in.type == hostEventType + 1) {
        sdlScreenLocked = in.user.code != 0;
        // Wakes the loop, which draws again or goes to sleep.
        out->type = PLATFORM_EVENT_EXPOSE;
        return true;
    }
    switch (static_cast<HostWordKind>(in.user.code)) {
    case HostWordKind::Seen:
    case HostWordKind::Unseen:
        sdlHostSeen = static_cast<HostWordKind>(in.user.code) == HostWordKind::Seen;
        // Wakes the loop, which draws again or goes to sleep.
        out->type = PLATFORM_EVENT_EXPOSE;
        return true;
    case HostWordKind::Size:
        // The size event follows from SDL once the window has the size.
        SDL_SetWindowSize(sdlWindow, static_cast<int>(reinterpret_cast<intptr_t>(in.user.data1)),
                          static_cast<int>(reinterpret_cast<intptr_t>(in.user.data2)));
        return false;
    case HostWordKind::Ended:
        out->type = PLATFORM_EVENT_QUIT;
        return true;
    }
    return false;
}
