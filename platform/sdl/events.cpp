// SDL backend: events and key polling.
#include <SDL.h>

#include <X11/keysym.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/x11_bridge.h"
#include "platform/x11/blanking.h"
#include "platform/x11/coverage.h"

namespace {

// Keys pressed since their previous poll, indexed by virtual-key code. A tap
// that starts and ends between two frames still counts once.
bool latchedKeys[256] = {};
// Escape was down when the window was made or took the focus (as the X
// server's keymap notice that follows the focus says), and has not been let
// go since.
bool escapeHeldBefore = false;

// The drawable size the program last learnt, from a size event or from
// sdlGetDrawableSize (-1 before either), and when the window system is
// next asked for the real size.
int reportedWidth = -1;
int reportedHeight = -1;
Uint64 nextSizeCheck = 0;
constexpr Uint64 kSizeCheckMilliseconds = 250;

// Whether anybody can see the window: a window of our own is wholly covered
// when the X server last said so, or when the window stack said so as last
// asked (asked again, once the events waiting are taken, after any that may
// change it); a foreign window is viewable when the periodic check last
// found it mapped, and every window around it. Neither is while the screen
// is blank (x11/blanking.h).
bool ownWindowObscured = false;
bool ownWindowCovered = false;
bool stackMayHaveChanged = true;
bool foreignWindowViewable = true;
// While the window is drawn, the stack is asked again this often too: a
// check made while a window manager was still placing a new window, with
// no event after it that says the stack changed, must not leave the
// program drawing under a cover for good.
constexpr Uint64 kCoverRecheckMilliseconds = 2000;
Uint64 nextCoverCheck = 0;

// Maps the virtual-key codes the camera polls onto SDL scancodes: a letter
// key is the one in that letter's place on a US keyboard, whatever its label
// on the layout in use, so the flying keys stay in one cluster everywhere.
SDL_Scancode mapVirtualKeyToScancode(int virtualKey) {
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        return static_cast<SDL_Scancode>(SDL_SCANCODE_A + (virtualKey - 'A'));
    }
    switch (virtualKey) {
    case 37: return SDL_SCANCODE_LEFT;
    case 38: return SDL_SCANCODE_UP;
    case 39: return SDL_SCANCODE_RIGHT;
    case 40: return SDL_SCANCODE_DOWN;
    default: return SDL_SCANCODE_UNKNOWN;
    }
}

int mapScancodeToVirtualKey(SDL_Scancode code) {
    if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) {
        return 'A' + (code - SDL_SCANCODE_A);
    }
    switch (code) {
    case SDL_SCANCODE_LEFT: return 37;
    case SDL_SCANCODE_UP: return 38;
    case SDL_SCANCODE_RIGHT: return 39;
    case SDL_SCANCODE_DOWN: return 40;
    default: return -1;
    }
}

void fillSizeEvent(PlatformEvent* event) {
    event->type = PLATFORM_EVENT_SIZE;
    sdlGetDrawableSize(&event->width, &event->height);
}

// F11, or Enter with Alt held (and no other modifier), asks for the other of
// fullscreen and window. Key repeat would flip it back and forth.
bool checkFullscreenKey(const SDL_KeyboardEvent& key) {
    if (key.repeat != 0) {
        return false;
    }
    if (key.keysym.sym == SDLK_F11) {
        return true;
    }
    bool enter = key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER;
    Uint16 mods = key.keysym.mod & (KMOD_ALT | KMOD_CTRL | KMOD_SHIFT | KMOD_GUI);
    return enter && (mods & KMOD_ALT) != 0 && (mods & ~KMOD_ALT) == 0;
}

} // namespace

bool translateEvent(const SDL_Event& in, PlatformEvent* out) {
    *out = PlatformEvent{};
    switch (in.type) {
    case SDL_QUIT:
        out->type = PLATFORM_EVENT_QUIT;
        return true;
    case SDL_WINDOWEVENT:
        if (in.window.event == SDL_WINDOWEVENT_CLOSE) {
            out->type = PLATFORM_EVENT_CLOSE;
            return true;
        }
        if (in.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            fillSizeEvent(out);
            return true;
        }
        if (in.window.event == SDL_WINDOWEVENT_EXPOSED) {
            out->type = PLATFORM_EVENT_EXPOSE;
            return true;
        }
        return false;
    case SDL_KEYDOWN: {
        int key = mapScancodeToVirtualKey(in.key.keysym.scancode);
        if (key >= 0) {
            latchedKeys[key] = true;
        }
        // Escape produces no text event, so its character is made here.
        // An Escape that was down before the window had the focus (another
        // program pressed it and never let go) repeats its press into
        // whichever window takes the focus: it ends nothing until let go.
        if (in.key.keysym.sym == SDLK_ESCAPE && escapeHeldBefore) {
            return false;
        }
        if (in.key.keysym.sym == SDLK_ESCAPE) {
            out->type = PLATFORM_EVENT_CHAR;
            out->character = 27;
            return true;
        }
        if (checkFullscreenKey(in.key)) {
            out->type = PLATFORM_EVENT_FULLSCREEN_KEY;
            return true;
        }
        if ((in.key.keysym.sym == SDLK_F12 || in.key.keysym.sym == SDLK_F1) && in.key.repeat == 0) {
            out->type = in.key.keysym.sym == SDLK_F12 ? PLATFORM_EVENT_PICTURE_KEY : PLATFORM_EVENT_HELP_KEY;
            return true;
        }
        return false;
    }
    case SDL_KEYUP:
        if (in.key.keysym.sym == SDLK_ESCAPE) {
            escapeHeldBefore = false;
        }
        return false;
    case SDL_MOUSEMOTION:
        if ((in.motion.state & (SDL_BUTTON_LMASK | SDL_BUTTON_RMASK)) == 0 || sdlWindowIsForeign) {
            return false;
        }
        out->type = PLATFORM_EVENT_DRAG;
        out->dx = in.motion.xrel;
        out->dy = in.motion.yrel;
        return true;
    case SDL_MOUSEWHEEL:
        if (in.wheel.y == 0 || sdlWindowIsForeign) {
            return false;
        }
        out->type = PLATFORM_EVENT_WHEEL;
        out->dy = in.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -in.wheel.y : in.wheel.y;
        return true;
    case SDL_TEXTINPUT:
        out->type = PLATFORM_EVENT_CHAR;
        out->character = static_cast<unsigned char>(in.text.text[0]);
        return true;
    case SDL_SYSWMEVENT: {
        Window xid = 0;
        Display* display = findSdlX11Window(sdlWindow, &xid);
        const XEvent* x = readSdlX11Event(in);
        if (display != nullptr && x != nullptr) {
            readX11VisibilityChange(xid, *x, &ownWindowObscured);
            stackMayHaveChanged = noteX11StackEvent(display, *x) || stackMayHaveChanged;
            noteX11BlankEvent(display, *x);
            // The keyboard as it was when the focus came, in order with the
            // key events: a press that follows it is the window's own.
            if (x->type == KeymapNotify) {
                escapeHeldBefore = checkX11KeyInKeymap(display, x->xkeymap.key_vector, XK_Escape);
            }
        }
        return false;
    }
    default:
        return translateHostEvent(in, out);
    }
}

void clearLatchedKeys() {
    std::memset(latchedKeys, 0, sizeof latchedKeys);
    escapeHeldBefore = false;
}

void noteKeysHeldBefore() { escapeHeldBefore = checkSdlX11KeyHeld(sdlWindow, XK_Escape); }

void forgetReportedSize() {
    reportedWidth = -1;
    reportedHeight = -1;
    nextSizeCheck = 0;
    ownWindowObscured = false;
    ownWindowCovered = false;
    stackMayHaveChanged = true;
    foreignWindowViewable = true;
}

void readReportedSize(int* width, int* height) {
    *width = reportedWidth;
    *height = reportedHeight;
}

void noteReportedSize(int width, int height) {
    reportedWidth = width;
    reportedHeight = height;
}

bool sdlPollEvent(PlatformEvent* event) {
    SDL_Event in;
    while (SDL_PollEvent(&in)) {
        if (translateEvent(in, event)) {
            return true;
        }
    }
    // Some changes come with no event, or with one whose size was not yet
    // the drawable's: a window manager finishing a fullscreen request after
    // SDL reported it, or a window that another program owns.
    Uint64 now = SDL_GetTicks64();
    bool errorSeen = sdlWindowIsForeign && takeX11ErrorSeen();
    if (sdlWindow == nullptr || (now < nextSizeCheck && !errorSeen)) {
        return false;
    }
    // A window another program owns can go at any time; then there is
    // nothing left to draw into, as after a close request.
    int width = 0;
    int height = 0;
    if (!sdlWindowIsForeign) {
        readDrawableSize(&width, &height);
    } else {
        X11WindowState state = readSdlWindowState(sdlWindow);
        if (!state.found) {
            *event = PlatformEvent{};
            event->type = PLATFORM_EVENT_CLOSE;
            return true;
        }
        width = state.width;
        height = state.height;
        foreignWindowViewable = state.viewable;
    }
    nextSizeCheck = now + kSizeCheckMilliseconds;
    // Compared with what the program last learnt, so that a change made
    // before the first check (during start-up) is reported too.
    if (width == reportedWidth && height == reportedHeight) {
        return false;
    }
    noteReportedSize(width, height);
    *event = PlatformEvent{};
    event->type = PLATFORM_EVENT_SIZE;
    event->width = width;
    event->height = height;
    return true;
}

bool sdlWaitEvent(PlatformEvent* event) {
    if (sdlPollEvent(event)) {
        return true;
    }
    if (sdlWindow == nullptr) {
        return false;
    }
    // Until the periodic check is due: a foreign window says nothing of its
    // own, so that check is how its being mapped again is seen.
    Uint64 now = SDL_GetTicks64();
    int timeout = nextSizeCheck > now ? static_cast<int>(nextSizeCheck - now) : 0;
    SDL_Event in;
    return SDL_WaitEventTimeout(&in, timeout) != 0 && translateEvent(in, event);
}

bool sdlWindowExists() {
    return sdlWindow != nullptr && (!sdlWindowIsForeign || readSdlWindowState(sdlWindow).found);
}

bool sdlIsWindowVisible() {
    if (sdlWindow == nullptr) {
        return false;
    }
    // The shell that shows the window knows, and the screen's lock hides
    // it; the window itself may be hidden from everybody but the shell's
    // copy of its picture.
    if (sdlEmbedded) {
        return sdlHostSeen && !sdlScreenLocked;
    }
    // A blank or powered-down screen shows nothing; while the X server's
    // screen saver is on, a window that a screensaver daemon gave us may be
    // the one it shows.
    if (checkSdlScreenBlank(sdlWindow, !sdlWindowIsForeign)) {
        return false;
    }
    if (sdlWindowIsForeign) {
        return foreignWindowViewable;
    }
    // HIDDEN serves a window that is unmapped; MINIMIZED one that a window
    // manager has hidden but keeps mapped for its previews. SDL 2's X11
    // driver raises both flags for either state; its other drivers do not.
    Uint32 flags = SDL_GetWindowFlags(sdlWindow);
    if ((flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) != 0 || ownWindowObscured) {
        return false;
    }
    Uint64 now = SDL_GetTicks64();
    if (stackMayHaveChanged || (!ownWindowCovered && now >= nextCoverCheck)) {
        ownWindowCovered = checkSdlWindowCovered(sdlWindow);
        stackMayHaveChanged = false;
        nextCoverCheck = now + kCoverRecheckMilliseconds;
    }
    return !ownWindowCovered;
}

bool sdlIsKeyPressed(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) {
        return false;
    }
    SDL_Scancode code = mapVirtualKeyToScancode(virtualKey);
    const Uint8* state = SDL_GetKeyboardState(nullptr);
    bool down = code != SDL_SCANCODE_UNKNOWN && state[code] != 0;
    bool pressed = down || latchedKeys[virtualKey];
    latchedKeys[virtualKey] = false;
    return pressed;
}
