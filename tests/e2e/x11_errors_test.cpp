// The X error trap against a real X server (x11_errors_test.sh starts one).
// gtest first: Xlib's macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include "platform/x11/errors.h"

namespace {

// An id that names no window on a fresh server: requests on it fail with
// BadWindow, answered some time after they are sent.
constexpr Window kNoWindow = 0x1234;

// Opens the display with an unmapped window of 64 x 48 on it; errors are
// trapped for the rest of the run, as in screensaver mode. 0 when the
// display cannot be opened.
Window openWindow(Display** display) {
    *display = XOpenDisplay(nullptr);
    if (*display == nullptr) {
        return 0;
    }
    Window window = XCreateSimpleWindow(*display, DefaultRootWindow(*display), 0, 0, 64, 48, 0, 0, 0);
    keepX11ErrorsTrapped();
    return window;
}

TEST(X11Errors, AnEarlierRequestsErrorIsNotCountedAgainstTheSizeCheck) {
    Display* display = nullptr;
    Window window = openWindow(&display);
    ASSERT_NE(window, 0u) << "cannot open the X display";
    XMapWindow(display, kNoWindow);
    X11WindowState state = readX11WindowState(display, window);
    EXPECT_TRUE(state.found);
    EXPECT_EQ(state.width, 64);
    EXPECT_TRUE(takeX11ErrorSeen());
}

TEST(X11Errors, EachFilterKeepsAnotherRequestsErrorOutOfACheck) {
    Display* display = nullptr;
    Window window = openWindow(&display);
    ASSERT_NE(window, 0u) << "cannot open the X display";
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
