#include "platform/x11/desktop_stack.h"

#include <algorithm>

#include "platform/x11/stack_copy.h"

namespace {

bool checkIsOurs(const std::vector<Window>& ours, Window window) {
    return std::find(ours.begin(), ours.end(), window) != ours.end();
}

} // namespace

std::vector<X11DesktopWindow> findX11DesktopWindows(const std::vector<Window>& ours) {
    std::vector<X11DesktopWindow> found;
    refreshStackCopy();
    // A copy: reading a window may read the order anew.
    std::vector<Window> order = readCopiedOrder();
    for (Window id : order) {
        CopiedWindow* top = findCopiedWindow(id);
        if (checkIsOurs(ours, id) || top == nullptr || !learnCopiedWindow(top, kKnowPlace) || !top->mapped ||
            top->inputOnly) {
            continue;
        }
        // The type is on the window a manager put inside its frame, if any.
        Window clientId = findCopiedClient(id);
        CopiedWindow* client = findCopiedWindow(clientId);
        if (client == nullptr || !learnCopiedWindow(client, kKnowPlace | kKnowType) || !client->mapped) {
            continue;
        }
        top = findCopiedWindow(id);
        if (client->desktop && top != nullptr) {
            found.push_back({id, clientId, top->x, top->y, top->width + 2 * top->border, top->height + 2 * top->border});
        }
    }
    return found;
}

bool checkX11StackedOn(const std::vector<Window>& ours, Window floor) {
    // A copy: reading a window may read the order anew.
    std::vector<Window> order = readCopiedOrder();
    auto start = order.begin();
    if (floor != None) {
        start = std::find(order.begin(), order.end(), floor);
        if (start == order.end()) {
            return false;
        }
        ++start;
    }
    size_t seen = 0;
    for (auto at = start; at != order.end() && seen < ours.size(); ++at) {
        if (checkIsOurs(ours, *at)) {
            ++seen;
            continue;
        }
        CopiedWindow* other = findCopiedWindow(*at);
        if (other != nullptr && !learnCopiedWindow(other, kKnowPlace)) {
            continue;  // gone
        }
        // A window that draws nothing on the screen hides nothing either.
        bool drawn = other == nullptr ||
                     (other->mapped && !other->inputOnly && other->x < readCopiedRootWidth() &&
                      other->y < readCopiedRootHeight() && other->x + other->width + 2 * other->border > 0 &&
                      other->y + other->height + 2 * other->border > 0);
        if (drawn) {
            return false;
        }
    }
    return seen == ours.size();
}

std::vector<Window> findX11OwnFrames(const std::vector<Window>& ours) {
    std::vector<Window> frames;
    for (Window window : ours) {
        CopiedWindow* own = findOwnWindow(window);
        if (own != nullptr && own->frame != None) {
            frames.push_back(own->frame);
        }
    }
    return frames;
}

void askX11StackedOn(Display* display, const std::vector<Window>& ours, Window floorClient) {
    Window root = DefaultRootWindow(display);
    for (Window window : ours) {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "_NET_RESTACK_WINDOW", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2;  // from a pager: the user's own wish
        event.xclient.data.l[1] = static_cast<long>(floorClient);
        event.xclient.data.l[2] = floorClient != None ? Above : Below;
        XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    }
}

void stackX11On(Display* display, const std::vector<Window>& ours, Window floor) {
    for (Window window : ours) {
        if (floor == None) {
            XLowerWindow(display, window);
            continue;
        }
        XWindowChanges changes = {};
        changes.sibling = floor;
        changes.stack_mode = Above;
        XConfigureWindow(display, window, CWSibling | CWStackMode, &changes);
    }
}
