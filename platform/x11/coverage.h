#pragma once
// Whether a window of the program's own can be seen, from the window stack
// itself: under a compositing manager the X server reports every window as
// unobscured however covered, so its visibility reports cannot tell. Xlib
// only, on the connection the caller gives.
#include <X11/Xlib.h>

// Starts following the window stack of DISPLAY's default root: selects the events that tell when it changes. Safe to call again.
void startX11StackWatch(Display* display);
// Looks at one X event from that connection; true when it may change which windows are covered, so the caller asks again.
bool noteX11StackEvent(Display* display, const XEvent& event);
// True when WINDOW, a top-level window of the program's own, is wholly covered by mapped, not hidden, opaque windows above it in the stack. Windows that vanish while asked count as not covering.
bool checkX11WindowCovered(Display* display, Window window);
