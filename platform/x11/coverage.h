#pragma once
// Whether a window of the program's own can be seen, from the window stack
// itself: under a compositing manager the X server reports every window as
// unobscured however covered, so its visibility reports cannot tell. The
// stack is a copy that the events keep up (stack_copy.h): asking costs no
// round trip once the windows above are known. Xlib only, on the connection
// the caller gives.
#include <X11/Xlib.h>

// Starts following the window stack of DISPLAY's default root: selects the
// events that tell when it changes and reads the stack. Safe to call again,
// and to be called for each new connection.
void startX11StackWatch(Display* display);
// Looks at one X event from that connection and keeps the copy of the stack
// up with it; true when it may change which windows are covered, so the
// caller asks again. Every event of the connection is to pass here, in
// order.
bool noteX11StackEvent(Display* display, const XEvent& event);
// True when WINDOW, a top-level window of the program's own, is wholly
// covered by mapped, opaque windows above it in the stack: windows a
// manager lists (not hidden, their frames included) and the windows it
// leaves alone (override-redirect ones: screen lockers, menus, a
// screensaver's window). Windows with an alpha channel, an opacity below
// full or a shape with holes let it show; so does the overlay a compositing
// manager draws in. Windows that vanish while asked count as not covering.
bool checkX11WindowCovered(Display* display, Window window);
