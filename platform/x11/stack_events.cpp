// Applying the X server's events to the copy of the stack: each says what
// changed, in full, so that the copy follows without asking. An event older
// than what the copy last read of a window, or of the order, tells nothing
// new and is passed over.
#include <X11/extensions/shape.h>

#include <algorithm>

#include "platform/x11/stack_copy_state.h"
#include "platform/x11/window_facts.h"

namespace {

// The frame that held WINDOW, a window inside one, holds it no more.
void leaveFrame(const CopiedWindow& window) {
    CopiedWindow* frame = window.frame != None && window.frame != window.id ? findCopiedWindow(window.frame) : nullptr;
    if (frame != nullptr && frame->inner == window.id) {
        frame->inner = None;
    }
}

// A window went to PARENT at X, Y: to the root, on top of its children; or
// into a frame, as a manager puts the windows it manages.
bool noteReparent(const XReparentEvent& event) {
    CopiedWindow* window = findCopiedWindow(event.window);
    if (window != nullptr && event.serial < window->since) {
        return false;
    }
    bool wasTopLevel = window != nullptr && checkCopiedTopLevel(*window);
    if (event.parent == stackCopy.root) {
        // A move older than the last read of the order is in it already.
        if (wasTopLevel || event.serial < stackCopy.orderSince || checkCopiedServerOwned(event.window)) {
            return wasTopLevel;
        }
        stackCopy.orderChanged = true;
        CopiedWindow& added = window != nullptr ? *window : addCopiedWindow(event.window);
        bool sized = added.placed;
        placeCopiedOnTop(added);
        added.x = event.x;
        added.y = event.y;
        added.placed = sized;
        added.overrideRedirect = event.override_redirect;
        return true;
    }
    if (wasTopLevel) {
        if (event.serial < stackCopy.orderSince) {
            return false;
        }
        removeFromCopiedOrder(event.window);
        unlinkCopiedInner(event.window);
        stackCopy.orderChanged = true;
    }
    // Only a manager puts windows into a child of the root of its own; a
    // listed one is a managed window itself, holding embedded ones.
    CopiedWindow* frame = findCopiedWindow(event.parent);
    if (frame != nullptr && checkCopiedTopLevel(*frame) && !frame->listed && !frame->overrideRedirect) {
        CopiedWindow& inner = window != nullptr ? *window : addCopiedWindow(event.window);
        leaveFrame(inner);
        inner.frame = frame->id;
        inner.nested = false;
        inner.x = event.x;
        inner.y = event.y;
        inner.followed = inner.followed && !wasTopLevel;
        frame->inner = inner.id;
        return true;
    }
    // Deeper inside a window of the stack: where, is read when it matters.
    if (window != nullptr) {
        leaveFrame(*window);
        window->frame = None;
        window->nested = true;
        window->placed = false;
    }
    return window != nullptr;
}

// A window's place, size or place in the stack changed; the root's own size
// comes this way too.
bool noteConfigure(const XConfigureEvent& event) {
    if (event.window == stackCopy.root) {
        stackCopy.rootWidth = event.width;
        stackCopy.rootHeight = event.height;
        return true;
    }
    CopiedWindow* window = findCopiedWindow(event.window);
    // A manager tells a window it moved with its frame by a made-up event;
    // the frame's own tells the copy.
    if (window == nullptr || event.send_event) {
        return false;
    }
    bool topLevel = checkCopiedTopLevel(*window);
    if (topLevel != (event.event == stackCopy.root)) {
        return false;
    }
    if (event.serial >= window->since) {
        window->x = event.x;
        window->y = event.y;
        window->width = event.width;
        window->height = event.height;
        window->border = event.border_width;
        window->placed = topLevel || (window->frame != None && !window->nested);
    }
    if (topLevel && event.serial >= stackCopy.orderSince) {
        auto at = std::find(stackCopy.order.begin(), stackCopy.order.end(), window->id);
        Window below = at == stackCopy.order.end() || at == stackCopy.order.begin() ? None : *(at - 1);
        if (at == stackCopy.order.end() || below != event.above) {
            restackCopied(window->id, event.above);
            stackCopy.orderChanged = true;
        }
    }
    return true;
}

// Window ID was mapped or unmapped, as REPORTER (the root for its children,
// else the window itself) tells.
bool noteMap(Window id, Window reporter, unsigned long serial, bool mapped, bool overrideRedirect) {
    CopiedWindow* window = findCopiedWindow(id);
    if (window == nullptr || checkCopiedTopLevel(*window) != (reporter == stackCopy.root) || serial < window->since) {
        return false;
    }
    window->mapped = mapped;
    if (mapped && checkCopiedTopLevel(*window)) {
        window->overrideRedirect = overrideRedirect;
    }
    return true;
}

// A new child of the root: on top of the others, unmapped.
bool noteCreate(const XCreateWindowEvent& event) {
    if (event.parent != stackCopy.root || event.serial < stackCopy.orderSince || checkCopiedServerOwned(event.window) ||
        findCopiedWindow(event.window) != nullptr) {
        return false;
    }
    CopiedWindow& window = addCopiedWindow(event.window);
    placeCopiedOnTop(window);
    window.x = event.x;
    window.y = event.y;
    window.width = event.width;
    window.height = event.height;
    window.border = event.border_width;
    window.placed = true;
    window.overrideRedirect = event.override_redirect;
    // New and unmapped: it covers nothing yet.
    return false;
}

// A child of the root went to the top or the bottom of the stack.
bool noteCirculate(const XCirculateEvent& event) {
    CopiedWindow* window = findCopiedWindow(event.window);
    if (window == nullptr || !checkCopiedTopLevel(*window) || event.event != stackCopy.root ||
        event.serial < stackCopy.orderSince) {
        return false;
    }
    restackCopied(window->id, None);
    if (event.place == PlaceOnTop) {
        placeCopiedOnTop(*window);
    }
    stackCopy.orderChanged = true;
    return true;
}

// A property changed: the manager's stacking list on the root, or a
// window's opacity, state, frame extents or type, each read again when
// needed.
bool noteProperty(const XPropertyEvent& event) {
    if (event.window == stackCopy.root) {
        if (event.atom != readX11StackingAtom()) {
            return false;
        }
        stackCopy.listStale = true;
        return true;
    }
    CopiedWindow* window = findCopiedWindow(event.window);
    if (window == nullptr) {
        return false;
    }
    if (event.atom == readX11OpacityAtom()) {
        window->opacityKnown = false;
    } else if (event.atom == readX11StateAtom() || event.atom == readX11FrameExtentsAtom()) {
        window->stateKnown = false;
    } else if (event.atom == readX11TypeAtom()) {
        window->typeKnown = false;
    } else {
        return false;
    }
    return true;
}

// A window's bounding shape changed.
bool noteShape(const XShapeEvent& event) {
    CopiedWindow* window = findCopiedWindow(event.window);
    if (window == nullptr || event.kind != ShapeBounding) {
        return false;
    }
    // Back to no shape, it is whole; a new shape is read.
    window->shapeKnown = !event.shaped;
    window->shaped = false;
    return true;
}

} // namespace

bool noteStackCopyEvent(const XEvent& event) {
    if (stackCopy.display == nullptr || event.xany.display != stackCopy.display) {
        return false;
    }
    switch (event.type) {
    case CreateNotify:
        return noteCreate(event.xcreatewindow);
    case DestroyNotify: {
        bool known = findCopiedWindow(event.xdestroywindow.window) != nullptr;
        forgetCopiedWindow(event.xdestroywindow.window);
        return known;
    }
    case ConfigureNotify:
        return noteConfigure(event.xconfigure);
    case MapNotify:
        return noteMap(event.xmap.window, event.xmap.event, event.xmap.serial, true, event.xmap.override_redirect);
    case UnmapNotify:
        return noteMap(event.xunmap.window, event.xunmap.event, event.xunmap.serial, false, false);
    case ReparentNotify:
        return noteReparent(event.xreparent);
    case CirculateNotify:
        return noteCirculate(event.xcirculate);
    case GravityNotify: {
        CopiedWindow* window = findCopiedWindow(event.xgravity.window);
        if (window == nullptr || event.xgravity.event != event.xgravity.window || checkCopiedTopLevel(*window) ||
            event.xgravity.serial < window->since) {
            return false;
        }
        window->x = event.xgravity.x;
        window->y = event.xgravity.y;
        window->placed = window->placed && !window->nested;
        return true;
    }
    case PropertyNotify:
        return noteProperty(event.xproperty);
    default:
        if (readX11ShapeEventBase() >= 0 && event.type == readX11ShapeEventBase() + ShapeNotify) {
            return noteShape(reinterpret_cast<const XShapeEvent&>(event));
        }
        return false;
    }
}

