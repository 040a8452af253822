#include "platform/x11/window_facts.h"

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>

#include <algorithm>

namespace {

// What the reads need of the connection they were last asked on.
struct FactsDisplay {
    Display* display = nullptr;
    int shapeEventBase = -1;
    Atom stacking = None;
    Atom opacity = None;
    Atom state = None;
    Atom hidden = None;
    Atom frameExtents = None;
    Atom type = None;
    Atom desktopType = None;
};
FactsDisplay known;

} // namespace

void knowX11WindowFacts(Display* display) {
    known = FactsDisplay{};
    known.display = display;
    int errorBase = 0;
    if (!XShapeQueryExtension(display, &known.shapeEventBase, &errorBase)) {
        known.shapeEventBase = -1;
    }
    char* names[] = {const_cast<char*>("_NET_CLIENT_LIST_STACKING"), const_cast<char*>("_NET_WM_WINDOW_OPACITY"),
                     const_cast<char*>("_NET_WM_STATE"), const_cast<char*>("_NET_WM_STATE_HIDDEN"),
                     const_cast<char*>("_NET_FRAME_EXTENTS"), const_cast<char*>("_NET_WM_WINDOW_TYPE"),
                     const_cast<char*>("_NET_WM_WINDOW_TYPE_DESKTOP")};
    Atom atoms[7] = {};
    XInternAtoms(display, names, 7, False, atoms);
    known.stacking = atoms[0];
    known.opacity = atoms[1];
    known.state = atoms[2];
    known.hidden = atoms[3];
    known.frameExtents = atoms[4];
    known.type = atoms[5];
    known.desktopType = atoms[6];
}

int readX11ShapeEventBase() { return known.shapeEventBase; }
Atom readX11StackingAtom() { return known.stacking; }
Atom readX11OpacityAtom() { return known.opacity; }
Atom readX11StateAtom() { return known.state; }
Atom readX11FrameExtentsAtom() { return known.frameExtents; }
Atom readX11TypeAtom() { return known.type; }

void followX11Window(Display* display, Window window, long current, long extra) {
    if ((current & extra) != extra) {
        XSelectInput(display, window, current | extra);
    }
    if (known.shapeEventBase >= 0) {
        XShapeSelectInput(display, window, ShapeNotifyMask);
    }
}

std::vector<unsigned long> readX11Longs(Display* display, Window window, Atom name, Atom type, long count) {
    Atom actual = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(display, window, name, 0, count, False, type, &actual, &format, &items, &after, &data) ==
            Success &&
        actual == type && format == 32 && data != nullptr) {
        // Xlib hands 32-bit items over as longs.
        const unsigned long* first = reinterpret_cast<const unsigned long*>(data);
        values.assign(first, first + items);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return values;
}

bool readX11Translucent(Display* display, Window window) {
    std::vector<unsigned long> opacity = readX11Longs(display, window, known.opacity, XA_CARDINAL, 1);
    return !opacity.empty() && (opacity[0] & 0xffffffffUL) < 0xffffffffUL;
}

bool readX11Shaped(Display* display, Window window, long width, long height, long border) {
    if (known.shapeEventBase < 0) {
        return false;
    }
    int count = 0;
    int ordering = 0;
    XRectangle* rectangles = XShapeGetRectangles(display, window, ShapeBounding, &count, &ordering);
    // An unshaped window answers with one rectangle: itself and its border.
    bool whole = count == 1 && rectangles != nullptr && rectangles[0].x <= -border && rectangles[0].y <= -border &&
                 rectangles[0].x + static_cast<long>(rectangles[0].width) >= width + border &&
                 rectangles[0].y + static_cast<long>(rectangles[0].height) >= height + border;
    if (rectangles != nullptr) {
        XFree(rectangles);
    }
    return !whole;
}

bool readX11Hidden(Display* display, Window window) {
    std::vector<unsigned long> states = readX11Longs(display, window, known.state, XA_ATOM, 64);
    return std::find(states.begin(), states.end(), known.hidden) != states.end();
}

void readX11FrameExtents(Display* display, Window window, long extents[4]) {
    std::vector<unsigned long> frame = readX11Longs(display, window, known.frameExtents, XA_CARDINAL, 4);
    for (size_t i = 0; i < 4; ++i) {
        extents[i] = frame.size() == 4 ? static_cast<long>(frame[i]) : 0;
    }
}

bool readX11DesktopType(Display* display, Window window) {
    std::vector<unsigned long> types = readX11Longs(display, window, known.type, XA_ATOM, 16);
    // The first type the window names is the one it asks for.
    return !types.empty() && types[0] == known.desktopType;
}

Window findX11ClientWindow(Display* display, Window frame, bool* nested) {
    Atom wmState = XInternAtom(display, "WM_STATE", False);
    auto managed = [&](Window window) { return !readX11Longs(display, window, wmState, wmState, 2).empty(); };
    *nested = false;
    if (managed(frame)) {
        return frame;
    }
    // Managers wrap a client in a frame and at most a wrapper or two.
    std::vector<Window> level = {frame};
    for (int depth = 1; depth <= 3 && !level.empty(); ++depth) {
        std::vector<Window> next;
        for (Window parent : level) {
            Window rootAgain = None;
            Window parentAgain = None;
            Window* children = nullptr;
            unsigned int count = 0;
            if (XQueryTree(display, parent, &rootAgain, &parentAgain, &children, &count) == 0) {
                continue;
            }
            for (unsigned int i = 0; i < count; ++i) {
                next.push_back(children[i]);
            }
            if (children != nullptr) {
                XFree(children);
            }
        }
        for (Window child : next) {
            if (managed(child)) {
                *nested = depth > 1;
                return child;
            }
        }
        level.swap(next);
    }
    return None;
}
