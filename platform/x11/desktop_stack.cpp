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
        // An unmapped window between hides nothing.
        CopiedWindow* other = findCopiedWindow(*at);
        if (other != nullptr && !learnCopiedWindow(other, kKnowPlace)) {
            continue;  // gone
        }
        if (other == nullptr || other->mapped) {
            return false;
        }
    }
    return seen == ours.size();
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
