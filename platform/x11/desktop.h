#pragma once
// X11 for desktop-background windows: the monitors, and the windows' EWMH
// properties. Xlib only, on the connection the caller gives.
#include <X11/Xlib.h>

#include <cstddef>
#include <string>
#include <vector>

struct X11Monitor {
    int x;
    int y;
    int width;
    int height;
};

// One rectangle per monitor, in root coordinates, as Xinerama lists them
// (a cloned monitor once); the whole root when Xinerama is not active.
std::vector<X11Monitor> readX11Monitors(Display* display);
// Asks for the events that tell of monitors added, removed or resized:
// RandR's screen changes and the root's own size. Keeps what this
// connection selected on the root before.
void watchX11Monitors(Display* display);
// True when EVENT may mean the monitors changed; RandR's view is brought up
// to date.
bool checkX11MonitorEvent(Display* display, const XEvent& event);

// The name the running EWMH window manager gives itself (_NET_WM_NAME on
// its check window), in lower case: "xfwm4", "marco", "openbox"; empty
// when none runs.
std::string readX11WindowManagerName(Display* display);
// A colormap for windows of VISUAL that shows their pixels as they are: a
// DirectColor visual (the one a GL context may get) is given a linear ramp,
// where an empty map would show every pixel black.
Colormap makeX11Colormap(Display* display, Visual* visual);
// Makes, unmapped, a window of VISUAL, DEPTH and COLORMAP over MONITOR that is a
// desktop background: type DESKTOP, below, sticky, on every desktop, never
// in a task bar or pager, taking no focus, letting every click through, of
// class "Marivelle". OVERRIDE makes it override-redirect: no window manager
// frames it (a frame would take the clicks it lets through) or stacks it,
// and the program places it. 0 on failure.
Window makeX11DesktopWindow(Display* display, Visual* visual, int depth, Colormap colormap, const X11Monitor& monitor,
                            bool override);
// Moves and resizes the window onto MONITOR.
void placeX11DesktopWindow(Display* display, Window window, const X11Monitor& monitor);
