#pragma once
// Whether a window of another program lets what lies under it show: a
// desktop program may draw its icons over a clear background, which a
// compositing manager blends with the windows beneath. Xlib only, on the
// connection the caller gives; a window that has gone answers as opaque.
#include <X11/Xlib.h>

// True when a compositing manager runs on DISPLAY's default screen (it owns
// the screen's _NET_WM_CM_S selection): only then does an alpha channel let
// anything show.
bool checkX11Composited(Display* display);
// The share, from 0 to 1, of WINDOW's own pixels along two lines across it
// (at half and three quarters of its height, where desktop programs put no
// icons by default) whose alpha is below full: 0 for a window without an
// alpha channel, or one whose pixels cannot be read. One round trip a line.
double readX11ClearShare(Display* display, Window window);
