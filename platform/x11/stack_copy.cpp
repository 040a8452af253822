#include "platform/x11/stack_copy.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <chrono>

#include "platform/x11/errors.h"
#include "platform/x11/server_owned.h"
#include "platform/x11/stack_copy_state.h"
#include "platform/x11/window_facts.h"

namespace {

// The order of the root's children is read again at most this often while
// events say it changes.
constexpr auto kOrderReadPause = std::chrono::milliseconds(500);

// The events the copy asks for on a child of the root (its place comes with
// the root's own) and on a window inside a frame.
constexpr long kTopLevelEvents = PropertyChangeMask;
constexpr long kInnerEvents = StructureNotifyMask | PropertyChangeMask;

// Reads the order of the root's children anew, keeping what the copy knows
// of each that stayed.
void readOrder() {
    Window rootAgain = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    unsigned long since = NextRequest(stackCopy.display);
    bool read = false;
    bool failed = checkX11RequestsFail(stackCopy.display, 0, [&] {
        read = XQueryTree(stackCopy.display, stackCopy.root, &rootAgain, &parent, &children, &count) != 0;
    });
    if (failed || !read) {
        if (children != nullptr) {
            XFree(children);
        }
        return;
    }
    std::vector<Window> order;
    for (unsigned int i = 0; i < count; ++i) {
        if (!checkCopiedServerOwned(children[i])) {
            order.push_back(children[i]);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    for (Window id : std::vector<Window>(stackCopy.order)) {
        if (std::find(order.begin(), order.end(), id) == order.end()) {
            CopiedWindow* gone = findCopiedWindow(id);
            if (gone == nullptr) {
                continue;
            }
            // Reparented away unheard: inside a window, somewhere to be read.
            unlinkCopiedInner(id);
            gone->frame = None;
            gone->placed = false;
            gone->followed = false;
            if (!gone->listed && !gone->asked) {
                stackCopy.windows.erase(id);
            }
        }
    }
    stackCopy.order.clear();
    for (Window id : order) {
        CopiedWindow* window = findCopiedWindow(id);
        if (window == nullptr) {
            window = &addCopiedWindow(id);
        }
        placeCopiedOnTop(*window);
    }
    stackCopy.orderSince = since;
    stackCopy.orderChanged = false;
    stackCopy.orderBroken = false;
    stackCopy.orderReadAt = std::chrono::steady_clock::now();
}

// Finds the child of the root that holds WINDOW, asking the server up the
// tree; None once it has gone. NESTED tells whether a window lies between.
Window findFrameOf(Window window, bool* nested) {
    Window frame = None;
    int steps = 0;
    checkX11RequestsFail(stackCopy.display, 0, [&] {
        Window at = window;
        while (at != None) {
            Window rootAgain = None;
            Window parent = None;
            Window* children = nullptr;
            unsigned int count = 0;
            if (XQueryTree(stackCopy.display, at, &rootAgain, &parent, &children, &count) == 0) {
                return;
            }
            if (children != nullptr) {
                XFree(children);
            }
            if (parent == stackCopy.root) {
                frame = at;
                return;
            }
            at = parent;
            ++steps;
        }
    });
    *nested = steps > 1;
    return frame;
}

// Links WINDOW to the child of the root that holds it; false once gone.
bool linkToFrame(CopiedWindow* window) {
    bool nested = false;
    Window frameId = findFrameOf(window->id, &nested);
    if (frameId == None) {
        return false;
    }
    if (frameId == window->id) {
        // A child of the root the copy lacks: its events are on their way,
        // and the order read now holds it.
        readOrder();
        return checkCopiedTopLevel(*window);
    }
    CopiedWindow* frame = findCopiedWindow(frameId);
    if (frame == nullptr) {
        readOrder();
        frame = findCopiedWindow(frameId);
    }
    if (frame == nullptr) {
        return false;
    }
    window->frame = frameId;
    window->nested = nested;
    window->placed = false;
    frame->inner = window->id;
    return true;
}

// Reads the manager's stacking list: which windows are managed.
void readList() {
    stackCopy.listStale = false;
    std::vector<unsigned long> list;
    checkX11RequestsFail(stackCopy.display, 0, [&] {
        list = readX11Longs(stackCopy.display, stackCopy.root, readX11StackingAtom(), XA_WINDOW, 1L << 16);
    });
    for (auto& [id, window] : stackCopy.windows) {
        window.listed = false;
    }
    for (unsigned long id : list) {
        CopiedWindow& window = addCopiedWindow(id);
        window.listed = true;
        if (window.frame == None && !linkToFrame(&window)) {
            stackCopy.windows.erase(id);
        }
    }
    // Windows inside frames that the list names no more, and that no frame
    // or question of the program's holds, are of no use.
    for (auto at = stackCopy.windows.begin(); at != stackCopy.windows.end();) {
        const CopiedWindow& window = at->second;
        CopiedWindow* frame = window.frame != None ? findCopiedWindow(window.frame) : nullptr;
        bool held = frame != nullptr && frame->inner == window.id;
        if (!checkCopiedTopLevel(window) && !window.listed && !window.asked && !held) {
            at = stackCopy.windows.erase(at);
        } else {
            ++at;
        }
    }
}

// Reads WINDOW's place, size, map state and visual, first asking to hear of
// its changes. For a window inside a frame, whose own events tell its
// changes, the attributes are read again once they are heard: a change in
// between would be lost.
bool readPlace(CopiedWindow* window) {
    Display* display = stackCopy.display;
    bool topLevel = checkCopiedTopLevel(*window);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window->id, &attributes) == 0) {
        return false;
    }
    if (!window->followed) {
        followX11Window(display, window->id, attributes.your_event_mask, topLevel ? kTopLevelEvents : kInnerEvents);
        window->followed = true;
        window->inputOnly = attributes.c_class == InputOnly;
        window->alpha = attributes.depth == 32;
        if (!topLevel && XGetWindowAttributes(display, window->id, &attributes) == 0) {
            return false;
        }
    }
    window->width = attributes.width;
    window->height = attributes.height;
    window->border = attributes.border_width;
    window->mapped = attributes.map_state != IsUnmapped;
    if (topLevel) {
        window->overrideRedirect = attributes.override_redirect;
    }
    window->x = attributes.x;
    window->y = attributes.y;
    if (window->nested) {
        int x = 0;
        int y = 0;
        Window child = None;
        if (!XTranslateCoordinates(display, window->id, window->frame, 0, 0, &x, &y, &child)) {
            return false;
        }
        window->x = x - window->border;
        window->y = y - window->border;
    }
    window->placed = true;
    return true;
}

} // namespace

StackCopy stackCopy;

bool checkCopiedTopLevel(const CopiedWindow& window) { return window.frame == window.id; }

bool checkCopiedServerOwned(Window window) { return checkX11ServerOwned(stackCopy.display, window); }

CopiedWindow& addCopiedWindow(Window id) {
    CopiedWindow& window = stackCopy.windows[id];
    window.id = id;
    return window;
}

void removeFromCopiedOrder(Window id) {
    stackCopy.order.erase(std::remove(stackCopy.order.begin(), stackCopy.order.end(), id), stackCopy.order.end());
}

void placeCopiedOnTop(CopiedWindow& window) {
    removeFromCopiedOrder(window.id);
    stackCopy.order.push_back(window.id);
    if (window.frame != None && window.frame != window.id) {
        CopiedWindow* frame = findCopiedWindow(window.frame);
        if (frame != nullptr && frame->inner == window.id) {
            frame->inner = None;
        }
    }
    if (!checkCopiedTopLevel(window)) {
        // Its place was in its frame, and it followed what a window inside
        // one needs: both to be read anew.
        window.placed = false;
        window.followed = false;
    }
    window.frame = window.id;
    window.nested = false;
}

void restackCopied(Window id, Window above) {
    removeFromCopiedOrder(id);
    if (above == None) {
        stackCopy.order.insert(stackCopy.order.begin(), id);
        return;
    }
    auto at = std::find(stackCopy.order.begin(), stackCopy.order.end(), above);
    if (at == stackCopy.order.end()) {
        stackCopy.order.push_back(id);
        stackCopy.orderBroken = true;
        return;
    }
    stackCopy.order.insert(at + 1, id);
}

void unlinkCopiedInner(Window frameId) {
    for (auto& [id, window] : stackCopy.windows) {
        if (window.frame == frameId && id != frameId) {
            window.frame = None;
            window.placed = false;
        }
    }
}

void forgetCopiedWindow(Window id) {
    CopiedWindow* window = findCopiedWindow(id);
    if (window == nullptr) {
        return;
    }
    if (checkCopiedTopLevel(*window)) {
        removeFromCopiedOrder(id);
        unlinkCopiedInner(id);
    } else if (window->frame != None) {
        CopiedWindow* frame = findCopiedWindow(window->frame);
        if (frame != nullptr && frame->inner == id) {
            frame->inner = None;
        }
    }
    stackCopy.windows.erase(id);
}

void startStackCopy(Display* display) {
    stackCopy = StackCopy{};
    stackCopy.display = display;
    stackCopy.root = DefaultRootWindow(display);
    knowX11WindowFacts(display);
    checkX11RequestsFail(display, 0, [&] {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, stackCopy.root, &attributes) != 0) {
            stackCopy.rootWidth = attributes.width;
            stackCopy.rootHeight = attributes.height;
            // Added to what this client selected there already: XSelectInput replaces it.
            XSelectInput(display, stackCopy.root,
                         attributes.your_event_mask | SubstructureNotifyMask | StructureNotifyMask |
                             PropertyChangeMask);
        }
    });
    readOrder();
    readList();
}

Display* readCopiedDisplay() { return stackCopy.display; }

void refreshStackCopy() {
    if (stackCopy.orderBroken ||
        (stackCopy.orderChanged && std::chrono::steady_clock::now() - stackCopy.orderReadAt >= kOrderReadPause)) {
        readOrder();
    }
    if (stackCopy.listStale) {
        readList();
    }
}

const std::vector<Window>& readCopiedOrder() { return stackCopy.order; }
long readCopiedRootWidth() { return stackCopy.rootWidth; }
long readCopiedRootHeight() { return stackCopy.rootHeight; }

CopiedWindow* findCopiedWindow(Window window) {
    auto at = stackCopy.windows.find(window);
    return at == stackCopy.windows.end() ? nullptr : &at->second;
}

CopiedWindow* findOwnWindow(Window window) {
    CopiedWindow* own = findCopiedWindow(window);
    if (own == nullptr) {
        own = &addCopiedWindow(window);
    }
    own->asked = true;
    if (own->frame == None && !linkToFrame(own)) {
        stackCopy.windows.erase(window);
        return nullptr;
    }
    return own;
}

Window findCopiedClient(Window id) {
    CopiedWindow* top = findCopiedWindow(id);
    if (top == nullptr || !checkCopiedTopLevel(*top)) {
        return id;
    }
    if (top->inner != None || top->overrideRedirect || top->clientSought) {
        return top->inner != None ? top->inner : id;
    }
    top->clientSought = true;
    Window client = None;
    bool nested = false;
    checkX11RequestsFail(stackCopy.display, 0,
                         [&] { client = findX11ClientWindow(stackCopy.display, id, &nested); });
    if (client == None || client == id) {
        return id;
    }
    // The map's elements stay where they are as it grows.
    CopiedWindow& inner = addCopiedWindow(client);
    inner.frame = id;
    inner.nested = nested;
    inner.placed = false;
    inner.followed = false;
    top->inner = client;
    return client;
}

bool learnCopiedWindow(CopiedWindow* window, unsigned wanted) {
    Display* display = stackCopy.display;
    bool needPlace = !window->followed || ((wanted & kKnowPlace) != 0 && !window->placed);
    bool needOpacity = (wanted & kKnowLooks) != 0 && !window->opacityKnown;
    bool needShape = (wanted & kKnowLooks) != 0 && !window->shapeKnown;
    bool needState = (wanted & kKnowState) != 0 && window->listed && !window->stateKnown;
    bool needType = (wanted & kKnowType) != 0 && !window->typeKnown;
    if (!needPlace && !needOpacity && !needShape && !needState && !needType) {
        return true;
    }
    if (window->frame == None && !linkToFrame(window)) {
        return false;
    }
    bool gone = false;
    unsigned long since = NextRequest(display);
    bool failed = checkX11RequestsFail(display, 0, [&] {
        if (needPlace && !readPlace(window)) {
            gone = true;
            return;
        }
        if (needOpacity) {
            window->translucent = readX11Translucent(display, window->id);
        }
        if (needShape) {
            window->shaped = readX11Shaped(display, window->id, window->width, window->height, window->border);
        }
        if (needState) {
            window->hidden = readX11Hidden(display, window->id);
            readX11FrameExtents(display, window->id, window->extents);
        }
        if (needType) {
            window->desktop = readX11DesktopType(display, window->id);
        }
    });
    if (failed || gone) {
        return false;
    }
    if (needPlace) {
        window->since = since;
    }
    window->opacityKnown = window->opacityKnown || needOpacity;
    window->shapeKnown = window->shapeKnown || needShape;
    window->stateKnown = window->stateKnown || needState;
    window->typeKnown = window->typeKnown || needType;
    return true;
}
