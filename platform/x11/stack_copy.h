#pragma once
// A copy of the window stack on a display's default root, kept up by the
// events the X server sends as it changes, so that telling which windows
// cover which costs no round trip: the root's children bottom to top (a
// window manager's frames and the windows it leaves alone, override-redirect
// ones among them) with their places, sizes and map states, and the windows
// a manager put inside its frames. What no event tells (a window's depth,
// its opacity, its shape, a managed window's state) is read once, and again
// when an event says it changed. Xlib only, on the connection the caller
// gives.
#include <X11/Xlib.h>

#include <vector>

// What the copy holds of one window.
struct CopiedWindow {
    Window id = None;
    // The child of the root that holds it: itself for a child of the root,
    // a manager's frame for a window inside one; None while not known.
    Window frame = None;
    // For a child of the root: the window a manager put inside it, if any.
    Window inner = None;
    // Inside its frame but not as its child (a manager's wrapper lies
    // between): events give its place within the wrapper, so it is read.
    bool nested = false;
    // In the manager's stacking list: its state and frame extents count.
    bool listed = false;
    // Asked about by the program: one of its own, kept until destroyed.
    bool asked = false;
    // Its outer corner (border included): on the root for a child of the
    // root, else from its frame's inside corner; its size inside the border.
    bool placed = false;
    long x = 0;
    long y = 0;
    long width = 0;
    long height = 0;
    long border = 0;
    bool mapped = false;
    bool overrideRedirect = false;
    // Events about it older than this request tell nothing the copy lacks.
    unsigned long since = 0;
    // Its changes are heard, and what never changes has been read.
    bool followed = false;
    bool inputOnly = false;
    // A 32-bit visual: a compositing manager blends it with what is under it.
    bool alpha = false;
    // What events only say has changed: each read again after they do.
    bool opacityKnown = false;
    bool translucent = false;
    bool shapeKnown = false;
    bool shaped = false;
    bool stateKnown = false;
    bool hidden = false;
    long extents[4] = {};
    // For a child of the root: the window a manager put inside it was
    // looked for once already.
    bool clientSought = false;
    // Its type asks for DESKTOP: read once, and again when it changes.
    bool typeKnown = false;
    bool desktop = false;
};

// What learnCopiedWindow is to make sure the copy knows: each a bit.
constexpr unsigned kKnowPlace = 1;  // place, size, map state, visual
constexpr unsigned kKnowLooks = 2;  // opacity and shape
constexpr unsigned kKnowState = 4;  // a listed window's state and frame extents
constexpr unsigned kKnowType = 8;   // whether its type is DESKTOP

// Starts the copy of DISPLAY's stack anew: selects the root's events that
// keep it up, then reads the root's size, its children and the manager's
// stacking list. Call again for another connection.
void startStackCopy(Display* display);
// The connection the copy is of; null before any start.
Display* readCopiedDisplay();
// Applies one X event of that connection to the copy; true when it may
// change which windows cover which.
bool noteStackCopyEvent(const XEvent& event);
// Reads again what events said went out of date: the order of the root's
// children at most every half second after they changed it (the events
// keep it; the read makes sure), at once when an event named a window the
// copy lacks; the stacking list whenever it changed.
void refreshStackCopy();
// The root's children, bottom to top.
const std::vector<Window>& readCopiedOrder();
// The root's size.
long readCopiedRootWidth();
long readCopiedRootHeight();
// The copy of WINDOW; null when the copy holds none.
CopiedWindow* findCopiedWindow(Window window);
// The copy of WINDOW, a window of the program's own, with the child of the
// root that holds it found (asking the server where the copy does not
// know); null once it has gone.
CopiedWindow* findOwnWindow(Window window);
// The window that child ID of the root shows: the one a manager put inside
// it, found by the events or the stacking list, else looked for once in
// the server's tree (a manager may list no window, and frame the ones it
// framed before the copy began); ID itself when it holds none.
Window findCopiedClient(Window id);
// Reads what WANTED names and the copy does not know of WINDOW, first
// asking to hear of its changes; false once it has gone.
bool learnCopiedWindow(CopiedWindow* window, unsigned wanted);
