#pragma once
// What one window says of how much it hides of what lies under it: its
// opacity, its shape, a window manager's state and frame for it. Each read
// is one round trip; the caller decides when the answer is worth one. Xlib
// only, on the connection the caller gives; a window that has gone answers
// with an X error, which the caller traps.
#include <X11/Xlib.h>

#include <vector>

// Learns the atoms and the shape extension of DISPLAY, asking the server;
// the reads below need it first, and the other calls answer for it.
void knowX11WindowFacts(Display* display);
// The first event code of the shape extension on the display last known;
// -1 when the server has none.
int readX11ShapeEventBase();
// The atoms whose changes matter: the manager's stacking list, a window's
// opacity, its state and its frame's extents.
Atom readX11StackingAtom();
Atom readX11OpacityAtom();
Atom readX11StateAtom();
Atom readX11FrameExtentsAtom();
Atom readX11TypeAtom();

// Asks to hear of EXTRA's events on WINDOW on top of what this connection
// selected there already (CURRENT): XSelectInput replaces a selection, and
// the program's own windows have theirs. Asks for the changes of its shape
// as well, where the server has the shape extension.
void followX11Window(Display* display, Window window, long current, long extra);
// True when WINDOW carries _NET_WM_WINDOW_OPACITY below full: a compositing
// manager shows what lies under it.
bool readX11Translucent(Display* display, Window window);
// True when WINDOW's bounding shape (border included) is other than its
// whole rectangle of WIDTH x HEIGHT inside a border of BORDER: it lets
// through what lies under its holes.
bool readX11Shaped(Display* display, Window window, long width, long height, long border);
// True when WINDOW's _NET_WM_STATE holds _NET_WM_STATE_HIDDEN: its manager
// does not show it, mapped or not.
bool readX11Hidden(Display* display, Window window);
// True when WINDOW's _NET_WM_WINDOW_TYPE asks first for DESKTOP: a
// desktop program's window under the icons, or a desktop background.
bool readX11DesktopType(Display* display, Window window);
// The window a manager put inside FRAME, a child of the root: the first
// that carries WM_STATE (a manager sets it on the windows it manages),
// searched a few levels down; FRAME itself when it carries it, None when
// none does. NESTED tells whether a window lies between.
Window findX11ClientWindow(Display* display, Window frame, bool* nested);
// WINDOW's _NET_FRAME_EXTENTS (left, right, top, bottom) in EXTENTS; zeros
// when it has none.
void readX11FrameExtents(Display* display, Window window, long extents[4]);
// Up to COUNT 32-bit items of WINDOW's property NAME, when it has type TYPE;
// none otherwise.
std::vector<unsigned long> readX11Longs(Display* display, Window window, Atom name, Atom type, long count);
