#include "platform/x11/coverage.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <vector>

#include "platform/x11/errors.h"

namespace {

// A rectangle in root coordinates; the right and bottom edges are outside.
struct Area {
    long left;
    long top;
    long right;
    long bottom;
};

constexpr long kFollowedEvents = StructureNotifyMask | PropertyChangeMask;

// What the watch knows of its connection: the atoms it reads, and the
// windows it has asked to hear the moves and state changes of.
struct StackWatch {
    Display* display = nullptr;
    Atom stacking = None;
    Atom state = None;
    Atom hidden = None;
    Atom frameExtents = None;
    bool rootChildrenFollowed = false;
    std::vector<Window> followed;
};
StackWatch watch;

void knowDisplay(Display* display) {
    if (watch.display == display) {
        return;
    }
    watch = StackWatch{};
    watch.display = display;
    char* names[] = {const_cast<char*>("_NET_CLIENT_LIST_STACKING"), const_cast<char*>("_NET_WM_STATE"),
                     const_cast<char*>("_NET_WM_STATE_HIDDEN"), const_cast<char*>("_NET_FRAME_EXTENTS")};
    Atom atoms[4] = {};
    XInternAtoms(display, names, 4, False, atoms);
    watch.stacking = atoms[0];
    watch.state = atoms[1];
    watch.hidden = atoms[2];
    watch.frameExtents = atoms[3];
}

// Up to COUNT 32-bit items of WINDOW's property NAME, when it has type TYPE;
// none otherwise.
std::vector<unsigned long> readLongs(Display* display, Window window, Atom name, Atom type, long count) {
    Atom actual = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(display, window, name, 0, count, False, type, &actual, &format, &items, &after, &data) ==
            Success &&
        actual == type && format == 32 && data != nullptr) {
        const unsigned long* first = reinterpret_cast<const unsigned long*>(data);
        values.assign(first, first + items);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return values;
}

// WINDOW's children, bottom to top, and in PARENT its parent (None once it
// is gone).
std::vector<unsigned long> readChildren(Display* display, Window window, Window* parent) {
    Window root = None;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<unsigned long> values;
    *parent = None;
    if (XQueryTree(display, window, &root, parent, &children, &count) != 0 && children != nullptr) {
        values.assign(children, children + count);
    }
    if (children != nullptr) {
        XFree(children);
    }
    return values;
}

// The child of the root that holds WINDOW (its window manager's frame, or
// the window itself); None once the window is gone.
Window findTopLevel(Display* display, Window window, Window root) {
    while (window != None) {
        Window parent = None;
        readChildren(display, window, &parent);
        if (parent == root) {
            return window;
        }
        window = parent;
    }
    return None;
}

// Reads WINDOW's attributes. With FOLLOW, the first time, first asks to hear
// of its changes (adding to whatever this client already selected there),
// then reads them again: a change in between would go unheard.
bool readAttributes(Display* display, Window window, bool follow, XWindowAttributes* attributes) {
    if (XGetWindowAttributes(display, window, attributes) == 0) {
        return false;
    }
    if (!follow || std::find(watch.followed.begin(), watch.followed.end(), window) != watch.followed.end()) {
        return true;
    }
    XSelectInput(display, window, attributes->your_event_mask | kFollowedEvents);
    watch.followed.push_back(window);
    return XGetWindowAttributes(display, window, attributes) != 0;
}

// The area WINDOW takes on the root, border included.
bool readArea(Display* display, Window window, Window root, const XWindowAttributes& attributes, Area* area) {
    int x = 0;
    int y = 0;
    Window child = None;
    if (!XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child)) {
        return false;
    }
    long border = attributes.border_width;
    *area = Area{x - border, y - border, x + attributes.width + border, y + attributes.height + border};
    return true;
}

// The area that WINDOW hides of whatever lies under it: none when it is
// unmapped, hidden, input-only or may be translucent (a 32-bit visual has an
// alpha channel). A window a manager lists has its frame around it.
bool readCover(Display* display, Window window, Window root, bool listed, Area* area) {
    XWindowAttributes attributes;
    if (!readAttributes(display, window, listed, &attributes) || attributes.c_class == InputOnly ||
        attributes.map_state != IsViewable || attributes.depth == 32 ||
        !readArea(display, window, root, attributes, area)) {
        return false;
    }
    if (!listed) {
        return true;
    }
    std::vector<unsigned long> states = readLongs(display, window, watch.state, XA_ATOM, 64);
    if (std::find(states.begin(), states.end(), watch.hidden) != states.end()) {
        return false;
    }
    std::vector<unsigned long> frame = readLongs(display, window, watch.frameExtents, XA_CARDINAL, 4);
    if (frame.size() == 4) {
        area->left -= static_cast<long>(frame[0]);
        area->right += static_cast<long>(frame[1]);
        area->top -= static_cast<long>(frame[2]);
        area->bottom += static_cast<long>(frame[3]);
    }
    return true;
}

// Takes COVER away from the rectangles in PIECES, leaving up to four
// pieces (above, below, left and right of it) of each it overlaps.
void cutAway(std::vector<Area>* pieces, const Area& cover) {
    std::vector<Area> left;
    for (const Area& piece : *pieces) {
        if (cover.left >= piece.right || cover.right <= piece.left || cover.top >= piece.bottom ||
            cover.bottom <= piece.top) {
            left.push_back(piece);
            continue;
        }
        long top = std::max(piece.top, cover.top);
        long bottom = std::min(piece.bottom, cover.bottom);
        if (piece.top < cover.top) {
            left.push_back(Area{piece.left, piece.top, piece.right, cover.top});
        }
        if (cover.bottom < piece.bottom) {
            left.push_back(Area{piece.left, cover.bottom, piece.right, piece.bottom});
        }
        if (piece.left < cover.left) {
            left.push_back(Area{piece.left, top, cover.left, bottom});
        }
        if (cover.right < piece.right) {
            left.push_back(Area{cover.right, top, piece.right, bottom});
        }
    }
    pieces->swap(left);
}

// Asks the root to report what happens to its children: with no manager to
// keep a stacking list, they are the stack.
void followRootChildren(Display* display, Window root) {
    XWindowAttributes attributes;
    if (!watch.rootChildrenFollowed && XGetWindowAttributes(display, root, &attributes) != 0) {
        XSelectInput(display, root, attributes.your_event_mask | SubstructureNotifyMask);
        watch.rootChildrenFollowed = true;
    }
}

// The part of WINDOW on the screen, in PIECES (none when it lies wholly off
// the screen: that part needs no cover). False when it is not viewable.
bool readSeenArea(Display* display, Window window, Window root, std::vector<Area>* pieces) {
    XWindowAttributes attributes;
    Area area{};
    int x = 0;
    int y = 0;
    unsigned int width = 0;
    unsigned int height = 0;
    unsigned int border = 0;
    unsigned int depth = 0;
    Window rootAgain = None;
    if (!readAttributes(display, window, false, &attributes) || attributes.map_state != IsViewable ||
        !readArea(display, window, root, attributes, &area) ||
        XGetGeometry(display, root, &rootAgain, &x, &y, &width, &height, &border, &depth) == 0) {
        return false;
    }
    area = Area{std::max(area.left, 0L), std::max(area.top, 0L), std::min(area.right, static_cast<long>(width)),
                std::min(area.bottom, static_cast<long>(height))};
    if (area.left < area.right && area.top < area.bottom) {
        pieces->push_back(area);
    }
    return true;
}

} // namespace

void startX11StackWatch(Display* display) {
    knowDisplay(display);
    // Asked anew from the next check on.
    watch.followed.clear();
    watch.rootChildrenFollowed = false;
    // Added to what this client selected there already: XSelectInput replaces it.
    Window root = DefaultRootWindow(display);
    checkX11RequestsFail(display, 0, [&] {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, root, &attributes) != 0) {
            XSelectInput(display, root, attributes.your_event_mask | PropertyChangeMask);
        }
    });
}

bool noteX11StackEvent(Display* display, const XEvent& event) {
    switch (event.type) {
    case ConfigureNotify:
    case MapNotify:
    case UnmapNotify:
    case DestroyNotify:
    case ReparentNotify:
    case CirculateNotify:
        return true;
    case PropertyNotify:
        knowDisplay(display);
        if (event.xproperty.window == DefaultRootWindow(display)) {
            return event.xproperty.atom == watch.stacking;
        }
        return event.xproperty.atom == watch.state || event.xproperty.atom == watch.frameExtents;
    default:
        return false;
    }
}

bool checkX11WindowCovered(Display* display, Window window) {
    knowDisplay(display);
    Window root = DefaultRootWindow(display);
    // Each step's errors (a window that vanished while asked) fail only that
    // step; the window asked about then counts as not covered, or a window
    // above it as not covering.
    std::vector<Area> uncovered;
    bool seen = false;
    bool failed = checkX11RequestsFail(display, 0, [&] { seen = readSeenArea(display, window, root, &uncovered); });
    if (failed || !seen) {
        return false;
    }
    std::vector<unsigned long> stack;
    bool listed = false;
    Window self = window;
    checkX11RequestsFail(display, 0, [&] {
        stack = readLongs(display, root, watch.stacking, XA_WINDOW, 1L << 16);
        listed = !stack.empty();
        if (!listed) {
            followRootChildren(display, root);
            Window parent = None;
            stack = readChildren(display, root, &parent);
            self = findTopLevel(display, window, root);
        }
    });
    if (listed) {
        // Windows that left the list are gone or no longer managed: their
        // ids may come back for other windows, which must be followed anew.
        auto gone = [&](Window followed) { return std::find(stack.begin(), stack.end(), followed) == stack.end(); };
        watch.followed.erase(std::remove_if(watch.followed.begin(), watch.followed.end(), gone), watch.followed.end());
    }
    // A window that is not in the stack (one kept below every other) has
    // every window of the stack above it.
    auto at = std::find(stack.begin(), stack.end(), self);
    for (auto above = at == stack.end() ? stack.begin() : at + 1; above != stack.end() && !uncovered.empty();
         ++above) {
        Area cover{};
        bool covering = false;
        if (*above != window &&
            !checkX11RequestsFail(display, 0, [&] { covering = readCover(display, *above, root, listed, &cover); }) &&
            covering) {
            cutAway(&uncovered, cover);
        }
    }
    return uncovered.empty();
}
