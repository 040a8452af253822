#pragma once
// Where the program's desktop-background windows stand in the window stack
// that the stack copy follows (stack_copy.h): among the desktop windows of
// other programs (a desktop program's icons, a desktop's own background),
// which window managers stack as they like among themselves. Xlib only.
#include <X11/Xlib.h>

#include <vector>

// A mapped window of another program whose type is DESKTOP: the child of
// the root that holds it (a manager's frame, or itself), the window, and
// the frame's place on the root.
struct X11DesktopWindow {
    Window frame;
    Window client;
    long x;
    long y;
    long width;
    long height;
};

// The desktop windows of other programs, bottom to top; OURS, the
// program's own top-level windows, are left out.
std::vector<X11DesktopWindow> findX11DesktopWindows(const std::vector<Window>& ours);
// True when every window of OURS lies above FLOOR, a child of the root
// (None: the bottom of the stack), with no window of another program
// between FLOOR and any of them that draws on the screen (mapped, not
// input-only, not wholly off the screen).
bool checkX11StackedOn(const std::vector<Window>& ours, Window floor);
// The children of the root that hold OURS, the program's own windows (a
// manager's frame, or the window itself), in the same order; a window that
// has gone is left out.
std::vector<Window> findX11OwnFrames(const std::vector<Window>& ours);
// Restacks OURS, override-redirect children of the root, right above FLOOR
// (None: at the bottom). The copy learns of it by the events that follow.
void stackX11On(Display* display, const std::vector<Window>& ours, Window floor);
// Asks the window manager to restack OURS, windows it manages, right above
// FLOOR_CLIENT, a window it manages (None: at the bottom of their layer),
// as a pager asks (EWMH's _NET_RESTACK_WINDOW).
void askX11StackedOn(Display* display, const std::vector<Window>& ours, Window floorClient);
