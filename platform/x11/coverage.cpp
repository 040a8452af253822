#include "platform/x11/coverage.h"

#include <algorithm>
#include <vector>

#include "platform/x11/stack_copy.h"

namespace {

// A rectangle in root coordinates; the right and bottom edges are outside.
struct Area {
    long left;
    long top;
    long right;
    long bottom;
};

// True when A and B share some pixels.
bool checkOverlap(const Area& a, const Area& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Takes COVER away from the rectangles in PIECES, leaving up to four
// pieces (above, below, left and right of it) of each it overlaps.
void cutAway(std::vector<Area>* pieces, const Area& cover) {
    std::vector<Area> left;
    for (const Area& piece : *pieces) {
        if (!checkOverlap(piece, cover)) {
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

// The area WINDOW takes on the root, border included; FRAME is the child of
// the root that holds it (the window itself for a child of the root).
Area findArea(const CopiedWindow& window, const CopiedWindow& frame) {
    long x = window.x;
    long y = window.y;
    if (&window != &frame) {
        x += frame.x + frame.border;
        y += frame.y + frame.border;
    }
    return Area{x, y, x + window.width + 2 * window.border, y + window.height + 2 * window.border};
}

// The area that the child of the root ID hides of what PIECES hold of the
// screen, in COVER: none when it is unmapped, input-only, hidden by its
// manager, or lets what is under it show (an alpha channel, an opacity below
// full, a shape with holes). A window its manager lists is as large as its
// frame says, which may draw less than the frame window holds.
bool readCover(Window id, const std::vector<Area>& pieces, Area* cover) {
    CopiedWindow* top = findCopiedWindow(id);
    if (top == nullptr || !learnCopiedWindow(top, kKnowPlace) || !top->mapped || top->inputOnly || !top->placed) {
        return false;
    }
    Area whole = findArea(*top, *top);
    if (std::none_of(pieces.begin(), pieces.end(), [&](const Area& piece) { return checkOverlap(piece, whole); })) {
        return false;
    }
    // The window a manager put inside the frame decides, not the frame: a
    // compositing manager's frames may have an alpha channel for shadows.
    Window innerId = top->inner;
    CopiedWindow* inner = innerId != None ? findCopiedWindow(innerId) : nullptr;
    if (inner != nullptr && !learnCopiedWindow(inner, kKnowPlace | kKnowLooks | kKnowState)) {
        inner = nullptr;
    }
    // Reading may have read the order anew: the frame is looked up again.
    top = findCopiedWindow(id);
    if (top == nullptr || !learnCopiedWindow(top, kKnowLooks | kKnowState)) {
        return false;
    }
    CopiedWindow* client = inner != nullptr && inner->frame == id ? inner : top;
    if ((client != top && (!client->mapped || !client->placed || client->translucent || client->shaped)) ||
        client->inputOnly || client->alpha || top->translucent || top->shaped || (client->listed && client->hidden)) {
        return false;
    }
    if (!client->listed) {
        *cover = whole;
        return true;
    }
    Area area = findArea(*client, *top);
    *cover = Area{area.left - client->extents[0], area.top - client->extents[2], area.right + client->extents[1],
                  area.bottom + client->extents[3]};
    return true;
}

} // namespace

void startX11StackWatch(Display* display) { startStackCopy(display); }

bool noteX11StackEvent(Display* display, const XEvent& event) {
    return readCopiedDisplay() == display && noteStackCopyEvent(event);
}

bool checkX11WindowCovered(Display* display, Window window) {
    if (readCopiedDisplay() != display) {
        startStackCopy(display);
    }
    refreshStackCopy();
    CopiedWindow* own = findOwnWindow(window);
    if (own == nullptr || !learnCopiedWindow(own, kKnowPlace)) {
        return false;
    }
    Window frameId = own->frame;
    CopiedWindow* frame = findCopiedWindow(frameId);
    if (frame == nullptr || !learnCopiedWindow(frame, kKnowPlace)) {
        return false;
    }
    own = findCopiedWindow(window);
    if (own == nullptr || !own->mapped || !frame->mapped || !own->placed || !frame->placed) {
        return false;
    }
    // Only what lies on the screen needs covering: a window wholly off it is
    // as good as covered.
    Area area = findArea(*own, *frame);
    area = Area{std::max(area.left, 0L), std::max(area.top, 0L), std::min(area.right, readCopiedRootWidth()),
                std::min(area.bottom, readCopiedRootHeight())};
    std::vector<Area> uncovered;
    if (area.left < area.right && area.top < area.bottom) {
        uncovered.push_back(area);
    }
    // A copy: reading a window may read the order anew.
    std::vector<Window> order = readCopiedOrder();
    auto at = std::find(order.begin(), order.end(), frameId);
    if (at == order.end()) {
        return false;
    }
    for (auto above = at + 1; above != order.end() && !uncovered.empty(); ++above) {
        Area cover{};
        if (readCover(*above, uncovered, &cover)) {
            cutAway(&uncovered, cover);
        }
    }
    return uncovered.empty();
}
