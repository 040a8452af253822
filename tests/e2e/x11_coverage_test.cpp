// The window-stack coverage against a real X server with no window manager
// (x11_coverage_test.sh starts one): where a test wants a manager's stacking
// list or frames, it makes them itself, as a manager would. The test's own
// connection is the program's: the events its requests cause come back to
// it, and pass through noteX11StackEvent before each question, as the
// program's do. Windows that cover together under a real manager and the
// compositor, and the events that wake the program, are the window and
// wallpaper tests' (window_test.sh, wallpaper_test.sh).
// gtest first: Xlib's macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xcomposite.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/saver.h>
#include <X11/extensions/shape.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/x11/blanking.h"
#include "platform/x11/coverage.h"

namespace {

class Stack : public ::testing::Test {
protected:
    void SetUp() override {
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        root = DefaultRootWindow(display);
        XDeleteProperty(display, root, atom("_NET_CLIENT_LIST_STACKING"));
        XSync(display, False);
        startX11StackWatch(display);
    }
    // Closing the connection destroys the test's windows.
    void TearDown() override { XCloseDisplay(display); }

    Atom atom(const char* name) { return XInternAtom(display, name, False); }
    // Makes a window of W x H at X, Y, above every other; maps it unless
    // told otherwise. OVERRIDE makes it override-redirect.
    Window show(int x, int y, int width, int height, bool override = false, bool mapped = true) {
        XSetWindowAttributes attributes = {};
        attributes.override_redirect = override ? True : False;
        Window window = XCreateWindow(display, root, x, y, width, height, 0, CopyFromParent, InputOutput,
                                      CopyFromParent, CWOverrideRedirect, &attributes);
        if (mapped) {
            XMapWindow(display, window);
        }
        XSync(display, False);
        return window;
    }
    // Puts WINDOW inside a new frame of W x H at X, Y, at DX, DY in it, as a
    // reparenting manager does; returns the frame.
    Window frame(Window window, int x, int y, int width, int height, int dx, int dy) {
        Window holder = show(x, y, width, height, false, false);
        XReparentWindow(display, window, holder, dx, dy);
        XMapWindow(display, window);
        XMapWindow(display, holder);
        XSync(display, False);
        return holder;
    }
    // Sets WINDOWS, bottom to top, as the manager's stacking list.
    void list(const std::vector<Window>& windows) {
        std::vector<unsigned long> ids(windows.begin(), windows.end());
        XChangeProperty(display, root, atom("_NET_CLIENT_LIST_STACKING"), XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(ids.data()), static_cast<int>(ids.size()));
        XSync(display, False);
    }
    void setCardinals(Window window, const char* name, const std::vector<unsigned long>& values) {
        XChangeProperty(display, window, atom(name), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(values.data()), static_cast<int>(values.size()));
        XSync(display, False);
    }
    // Takes every event waiting, as the program's loop does.
    void takeEvents() {
        XSync(display, False);
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            noteX11StackEvent(display, event);
            noteX11BlankEvent(display, event);
        }
    }
    bool covered(Window window) {
        takeEvents();
        return checkX11WindowCovered(display, window);
    }
    // Asks again, expecting no request to the server: the copy of the stack
    // the events keep knows everything the question needs.
    bool coveredFromTheCopy(Window window) {
        takeEvents();
        unsigned long before = NextRequest(display);
        bool answer = checkX11WindowCovered(display, window);
        EXPECT_EQ(NextRequest(display), before) << "the question sent requests";
        return answer;
    }

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
    EXPECT_TRUE(covered(own));
    XUnmapWindow(display, cover);
    EXPECT_FALSE(covered(own));
    XMapWindow(display, cover);
    EXPECT_TRUE(covered(own));
    // Xlib's own handler would end the process on the BadWindow that follows.
    XDestroyWindow(display, cover);
    EXPECT_FALSE(covered(own));
}

TEST_F(Stack, TheRootsChildrenAreTheStackWithOrWithoutAList) {
    Window own = show(100, 100, 200, 200);
    Window cover = show(0, 0, 400, 400);
    EXPECT_TRUE(covered(own));
    XRaiseWindow(display, own);
    EXPECT_FALSE(covered(own));
    // A list that says otherwise does not reorder the windows on the screen.
    list({own, cover});
    EXPECT_FALSE(covered(own));
    XRaiseWindow(display, cover);
    EXPECT_TRUE(covered(own));
    XLowerWindow(display, cover);
    EXPECT_FALSE(covered(own));
    XCirculateSubwindowsUp(display, root);
    EXPECT_TRUE(covered(own));
}

TEST_F(Stack, OverrideRedirectWindowsCoverBesideTheList) {
    Window own = show(100, 100, 200, 200);
    Window listed = show(0, 0, 50, 50);
    list({own, listed});
    EXPECT_FALSE(covered(own));
    // A screen locker's window: unmanaged, never in the list.
    Window locker = show(0, 0, 1280, 1024, true);
    EXPECT_TRUE(covered(own));
    XUnmapWindow(display, locker);
    EXPECT_FALSE(covered(own));
    XMapWindow(display, locker);
    EXPECT_TRUE(covered(own));
    // Below ours, it hides nothing of it.
    XLowerWindow(display, locker);
    EXPECT_FALSE(covered(own));
    // Nor does an input-only one.
    XSetWindowAttributes attributes = {};
    attributes.override_redirect = True;
    Window catcher = XCreateWindow(display, root, 0, 0, 1280, 1024, 0, 0, InputOnly, CopyFromParent,
                                   CWOverrideRedirect, &attributes);
    XMapWindow(display, catcher);
    EXPECT_FALSE(covered(own));
}

TEST_F(Stack, TheCompositingOverlayDoesNotCover) {
    int eventBase = 0;
    int errorBase = 0;
    ASSERT_TRUE(XCompositeQueryExtension(display, &eventBase, &errorBase)) << "the server has no Composite";
    Window own = show(100, 100, 200, 200);
    // What a compositing manager does: every window drawn off the screen,
    // and the overlay over all, which the server makes and reports.
    XCompositeRedirectSubwindows(display, root, CompositeRedirectManual);
    Window overlay = XCompositeGetOverlayWindow(display, root);
    ASSERT_NE(overlay, 0u);
    EXPECT_FALSE(covered(own));
    Window cover = show(0, 0, 400, 400);
    EXPECT_TRUE(covered(own));
    XDestroyWindow(display, cover);
    EXPECT_FALSE(covered(own));
    XCompositeReleaseOverlayWindow(display, root);
    XCompositeUnredirectSubwindows(display, root, CompositeRedirectManual);
}

TEST_F(Stack, TranslucentAndShapedWindowsDoNotCover) {
    Window own = show(100, 100, 200, 200);
    Window cover = show(0, 0, 400, 400);
    EXPECT_TRUE(covered(own));
    setCardinals(cover, "_NET_WM_WINDOW_OPACITY", {0x7fffffffUL});
    EXPECT_FALSE(covered(own));
    setCardinals(cover, "_NET_WM_WINDOW_OPACITY", {0xffffffffUL});
    EXPECT_TRUE(covered(own));
    setCardinals(cover, "_NET_WM_WINDOW_OPACITY", {0x10000000UL});
    EXPECT_FALSE(covered(own));
    XDeleteProperty(display, cover, atom("_NET_WM_WINDOW_OPACITY"));
    EXPECT_TRUE(covered(own));
    // Stripes with gaps between them, over all of our window.
    std::vector<XRectangle> stripes;
    for (short y = 0; y < 400; y += 20) {
        stripes.push_back(XRectangle{0, y, 400, 10});
    }
    XShapeCombineRectangles(display, cover, ShapeBounding, 0, 0, stripes.data(), static_cast<int>(stripes.size()),
                            ShapeSet, Unsorted);
    EXPECT_FALSE(covered(own));
    // One rectangle over the whole window is no shape at all.
    XRectangle whole = {0, 0, 400, 400};
    XShapeCombineRectangles(display, cover, ShapeBounding, 0, 0, &whole, 1, ShapeSet, Unsorted);
    EXPECT_TRUE(covered(own));
    XShapeCombineRectangles(display, cover, ShapeBounding, 0, 0, stripes.data(), static_cast<int>(stripes.size()),
                            ShapeSet, Unsorted);
    EXPECT_FALSE(covered(own));
    XShapeCombineMask(display, cover, ShapeBounding, 0, 0, None, ShapeSet);
    EXPECT_TRUE(covered(own));
}

TEST_F(Stack, AManagedWindowCoversWithItsFrame) {
    Window own = show(100, 100, 200, 200);
    // The client lies at 10, 30 in a frame of 20 pixels each side and 30 at
    // the top: frame and client together reach from 0, 0 to 420, 450.
    Window client = show(0, 0, 400, 400, false, false);
    Window holder = frame(client, 0, 0, 420, 450, 10, 30);
    list({own, client});
    setCardinals(client, "_NET_FRAME_EXTENTS", {10, 10, 30, 20});
    EXPECT_TRUE(covered(own));
    // Moved with its frame, it leaves a strip of ours bare.
    XMoveWindow(display, holder, 0, 150);
    EXPECT_FALSE(covered(own));
    XMoveWindow(display, holder, 0, 0);
    EXPECT_TRUE(covered(own));
    // The manager's state and the opacity of either window count.
    Atom hidden = atom("_NET_WM_STATE_HIDDEN");
    XChangeProperty(display, client, atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&hidden), 1);
    EXPECT_FALSE(covered(own));
    XDeleteProperty(display, client, atom("_NET_WM_STATE"));
    EXPECT_TRUE(covered(own));
    setCardinals(holder, "_NET_WM_WINDOW_OPACITY", {0x7fffffffUL});
    EXPECT_FALSE(covered(own));
    XDeleteProperty(display, holder, atom("_NET_WM_WINDOW_OPACITY"));
    EXPECT_TRUE(covered(own));
    setCardinals(client, "_NET_WM_WINDOW_OPACITY", {0x7fffffffUL});
    EXPECT_FALSE(covered(own));
    XDeleteProperty(display, client, atom("_NET_WM_WINDOW_OPACITY"));
    EXPECT_TRUE(covered(own));
    // Withdrawn: back on the root, unmapped, as a manager leaves it.
    XUnmapWindow(display, client);
    XReparentWindow(display, client, root, 0, 0);
    XDestroyWindow(display, holder);
    EXPECT_FALSE(covered(own));
}

TEST_F(Stack, OurWindowInAFrameMovesWithIt) {
    Window own = show(0, 0, 200, 200, false, false);
    Window holder = frame(own, 500, 500, 220, 230, 10, 20);
    show(400, 400, 400, 400);
    EXPECT_TRUE(covered(own));
    XMoveWindow(display, holder, 0, 0);
    EXPECT_FALSE(covered(own));
    XMoveWindow(display, holder, 450, 450);
    EXPECT_TRUE(covered(own));
    // Wholly off the screen there is nothing of it to see.
    XMoveWindow(display, holder, 5000, 5000);
    EXPECT_TRUE(covered(own));
    XMoveWindow(display, holder, 0, 0);
    EXPECT_FALSE(covered(own));
}

TEST_F(Stack, MovesMapsAndRestacksAskTheServerNothing) {
    Window own = show(100, 100, 200, 200);
    // Over the upper half of ours: the question reads it, and the unmapped
    // window above it, once.
    Window cover = show(0, 0, 400, 150);
    Window locker = show(0, 0, 1280, 1024, true, false);
    EXPECT_FALSE(covered(own));
    // From then on only the events decide.
    for (int x = 0; x < 200; x += 50) {
        XMoveResizeWindow(display, cover, x, 0, 400, 400);
        EXPECT_EQ(coveredFromTheCopy(own), x <= 100) << "the window at " << x;
    }
    XRaiseWindow(display, own);
    EXPECT_FALSE(coveredFromTheCopy(own));
    XMoveWindow(display, cover, 0, 0);
    XRaiseWindow(display, cover);
    EXPECT_TRUE(coveredFromTheCopy(own));
    XUnmapWindow(display, cover);
    EXPECT_FALSE(coveredFromTheCopy(own));
    // Mapped at last, the locker's opacity and shape are read once.
    XMapRaised(display, locker);
    EXPECT_TRUE(covered(own));
    XUnmapWindow(display, locker);
    EXPECT_FALSE(coveredFromTheCopy(own));
    XMapWindow(display, locker);
    EXPECT_TRUE(coveredFromTheCopy(own));
}

TEST_F(Stack, AnotherClientsWindowsAreFollowedToo) {
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    Window own = show(100, 100, 200, 200);
    Window cover = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 400, 400, 0, 0, 0);
    XMapWindow(other, cover);
    XSync(other, False);
    EXPECT_TRUE(covered(own));
    XMoveWindow(other, cover, 200, 0);
    XSync(other, False);
    EXPECT_FALSE(coveredFromTheCopy(own));
    XMoveWindow(other, cover, 0, 0);
    XSync(other, False);
    EXPECT_TRUE(coveredFromTheCopy(own));
    XCloseDisplay(other);
    EXPECT_FALSE(covered(own));
}

// The X server's own screen saver blanks the screen: the program learns it
// from the extension's notices.
TEST_F(Stack, TheScreenSaverBlanksTheScreen) {
    startX11BlankWatch(display);
    takeEvents();
    EXPECT_FALSE(checkX11ScreenBlank(display, true));
    XForceScreenSaver(display, ScreenSaverActive);
    takeEvents();
    EXPECT_TRUE(checkX11ScreenBlank(display, true));
    // A window a screensaver daemon gives shows while its saver is on.
    EXPECT_FALSE(checkX11ScreenBlank(display, false));
    XForceScreenSaver(display, ScreenSaverReset);
    takeEvents();
    EXPECT_FALSE(checkX11ScreenBlank(display, true));
}

// DPMS through the stand-in for it in front of the server (DPMS_DISPLAY):
// no event tells of the power state, so it is asked every two seconds.
TEST(Blanking, APoweredDownMonitorIsSeenWithinSeconds) {
    const char* name = std::getenv("DPMS_DISPLAY");
    ASSERT_NE(name, nullptr) << "DPMS_DISPLAY names no display with DPMS";
    Display* display = XOpenDisplay(name);
    ASSERT_NE(display, nullptr);
    int eventBase = 0;
    int errorBase = 0;
    ASSERT_TRUE(DPMSQueryExtension(display, &eventBase, &errorBase) && DPMSCapable(display));
    startX11BlankWatch(display);
    EXPECT_FALSE(checkX11ScreenBlank(display, true));
    // Until the deadline, polling as a sleeping program does.
    auto becomes = [&](bool blank) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (checkX11ScreenBlank(display, true) != blank) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return true;
    };
    for (int level : {DPMSModeOff, DPMSModeOn, DPMSModeStandby, DPMSModeOn}) {
        DPMSForceLevel(display, level);
        XSync(display, False);
        EXPECT_TRUE(becomes(level != DPMSModeOn)) << "level " << level;
    }
    // Disabled, it leaves the monitor on whatever the level was.
    DPMSForceLevel(display, DPMSModeSuspend);
    XSync(display, False);
    EXPECT_TRUE(becomes(true));
    DPMSDisable(display);
    XSync(display, False);
    EXPECT_TRUE(becomes(false));
    DPMSEnable(display);
    XCloseDisplay(display);
}

// A server without DPMS (Xvfb) is never blank for it, and says nothing.
TEST(Blanking, AServerWithoutDpmsIsNeverPoweredDown) {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    int eventBase = 0;
    int errorBase = 0;
    ASSERT_FALSE(DPMSQueryExtension(display, &eventBase, &errorBase)) << "this server has DPMS";
    startX11BlankWatch(display);
    EXPECT_FALSE(checkX11ScreenBlank(display, true));
    XCloseDisplay(display);
}

TEST(Blanking, OnlyASaverOnAndAMonitorPoweredDownBlank) {
    EXPECT_TRUE(decideX11SaverBlanks(ScreenSaverOn));
    EXPECT_TRUE(decideX11SaverBlanks(ScreenSaverCycle));
    EXPECT_FALSE(decideX11SaverBlanks(ScreenSaverOff));
    EXPECT_FALSE(decideX11SaverBlanks(ScreenSaverDisabled));
    for (int level : {DPMSModeStandby, DPMSModeSuspend, DPMSModeOff}) {
        EXPECT_TRUE(decideX11PoweredDown(true, true, level)) << level;
        EXPECT_FALSE(decideX11PoweredDown(true, false, level)) << level;
        EXPECT_FALSE(decideX11PoweredDown(false, true, level)) << level;
    }
    EXPECT_FALSE(decideX11PoweredDown(true, true, DPMSModeOn));
}

} // namespace
