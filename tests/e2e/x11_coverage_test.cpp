// The window-stack coverage against a real X server with no window manager
// (x11_coverage_test.sh starts one): where a test wants a manager's stacking
// list, it sets one on the root itself. Windows that cover together, a
// compositing manager, translucent windows and the events that wake the
// program are the window tests' (window_test.sh).
// gtest first: Xlib's macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <vector>

#include "platform/x11/coverage.h"

namespace {

class Stack : public ::testing::Test {
protected:
    void SetUp() override {
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        root = DefaultRootWindow(display);
        XDeleteProperty(display, root, atom("_NET_CLIENT_LIST_STACKING"));
    }
    // Closing the connection destroys the test's windows.
    void TearDown() override { XCloseDisplay(display); }

    Atom atom(const char* name) { return XInternAtom(display, name, False); }
    // Makes and maps a window of W x H at X, Y, above every other.
    Window show(int x, int y, int width, int height) {
        Window window = XCreateSimpleWindow(display, root, x, y, width, height, 0, 0, 0);
        XMapWindow(display, window);
        XSync(display, False);
        return window;
    }
    // Sets WINDOWS, bottom to top, as the manager's stacking list.
    void list(const std::vector<Window>& windows) {
        std::vector<unsigned long> ids(windows.begin(), windows.end());
        XChangeProperty(display, root, atom("_NET_CLIENT_LIST_STACKING"), XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(ids.data()), static_cast<int>(ids.size()));
        XSync(display, False);
    }
    bool covered(Window window) { return checkX11WindowCovered(display, window); }

    Display* display = nullptr;
    Window root = 0;
};

TEST_F(Stack, HiddenUnmappedAndVanishedWindowsDoNotCover) {
    Window own = show(100, 100, 200, 200);
    Window cover = show(0, 0, 400, 400);
    list({own, cover});
    EXPECT_TRUE(covered(own));
    Atom hidden = atom("_NET_WM_STATE_HIDDEN");
    XChangeProperty(display, cover, atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&hidden), 1);
    EXPECT_FALSE(covered(own));
    XDeleteProperty(display, cover, atom("_NET_WM_STATE"));
    XUnmapWindow(display, cover);
    EXPECT_FALSE(covered(own));
    // Xlib's own handler would end the process on the BadWindow that follows.
    XDestroyWindow(display, cover);
    EXPECT_FALSE(covered(own));
}

TEST_F(Stack, AWindowOutOfTheListHasEveryListedWindowAbove) {
    Window cover = show(0, 0, 400, 400);
    Window own = show(100, 100, 200, 200);
    list({cover});
    EXPECT_TRUE(covered(own));
}

TEST_F(Stack, WithoutAListTheRootsChildrenAreTheStack) {
    Window own = show(100, 100, 200, 200);
    show(0, 0, 400, 400);
    EXPECT_TRUE(covered(own));
    XRaiseWindow(display, own);
    EXPECT_FALSE(covered(own));
}

} // namespace
