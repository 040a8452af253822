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
// (None: the bottom of the stack), with no mapped window of another
// program between FLOOR and any of them.
bool checkX11StackedOn(const std::vector<Window>& ours, Window floor);
// Restacks OURS, override-redirect children of the root, right above FLOOR
// (None: at the bottom). The copy learns of it by the events that follow.
void stackX11On(Display* display, const std::vector<Window>& ours, Window floor);
