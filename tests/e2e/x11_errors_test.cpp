// The X error trap against a real X server (x11_errors_test.sh starts one).
// gtest first: Xlib's macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include "platform/x11_support.h"

namespace {

// An id that names no window on a fresh server: requests on it fail with
// BadWindow, answered some time after they are sent.
constexpr Window kNoWindow = 0x1234;

// Opens SDL's display with a hidden window of 64 x 48 on it; errors are
// trapped for the rest of the run, as in screensaver mode.
SDL_Window* openWindow(Display** display) {
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return nullptr;
    }
    SDL_Window* window = SDL_CreateWindow("x11", 0, 0, 64, 48, SDL_WINDOW_HIDDEN);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info)) {
        return nullptr;
    }
    *display = info.info.x11.display;
    keepX11ErrorsTrapped();
    return window;
}

TEST(X11Errors, AnEarlierRequestsErrorIsNotCountedAgainstTheSizeCheck) {
    Display* display = nullptr;
    SDL_Window* window = openWindow(&display);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    XMapWindow(display, kNoWindow);
    X11WindowState state = readX11WindowState(window);
    EXPECT_TRUE(state.found);
    EXPECT_EQ(state.width, 64);
    EXPECT_TRUE(takeX11ErrorSeen());
}

TEST(X11Errors, EachFilterKeepsAnotherRequestsErrorOutOfACheck) {
    Display* display = nullptr;
    SDL_Window* window = openWindow(&display);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    takeX11ErrorSeen();
    // Only the serial tells an earlier request's error from a check about no
    // one resource, as the window manager's check is.
    XMapWindow(display, kNoWindow);
    EXPECT_FALSE(checkX11RequestsFail(display, 0, [&] { XGetWindowAttributes(display, root, &attributes); }));
    EXPECT_TRUE(takeX11ErrorSeen());
    // Only the resource tells a request about another window, sent inside
    // the check, from the check's own.
    EXPECT_FALSE(checkX11RequestsFail(display, root, [&] {
        XGetWindowAttributes(display, root, &attributes);
        XMapWindow(display, kNoWindow);
    }));
    EXPECT_TRUE(takeX11ErrorSeen());
    EXPECT_TRUE(checkX11RequestsFail(display, kNoWindow, [&] { XMapWindow(display, kNoWindow); }));
}

} // namespace
