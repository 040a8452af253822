#pragma once
// What the files of the stack copy share (stack_copy.cpp reads the server,
// stack_events.cpp applies the events): the copy itself, and the changes of
// its order that both make. Only they include this.
#include <X11/Xlib.h>

#include <chrono>
#include <unordered_map>
#include <vector>

#include "platform/x11/stack_copy.h"

struct StackCopy {
    Display* display = nullptr;
    Window root = None;
    long rootWidth = 0;
    long rootHeight = 0;
    // The root's children, bottom to top, and every window the copy holds.
    std::vector<Window> order;
    std::unordered_map<Window, CopiedWindow> windows;
    // Events older than this request (the last read of the order) are in
    // the order already.
    unsigned long orderSince = 0;
    // Events changed the order since it was read; one named a sibling the
    // copy lacks, so the order is to be read before it is trusted again.
    bool orderChanged = false;
    bool orderBroken = false;
    std::chrono::steady_clock::time_point orderReadAt;
    // The manager's stacking list changed since it was read.
    bool listStale = false;
};
extern StackCopy stackCopy;

// True when WINDOW is a child of the root.
bool checkCopiedTopLevel(const CopiedWindow& window);
// True when WINDOW was made by the X server itself: the overlay a
// compositing manager draws in shows what the manager draws there, our
// window among the rest, and the screen saver's window is the saver's
// business (blanking.h). The server never lists them among the root's
// children, but reports them in its events.
bool checkCopiedServerOwned(Window window);
// The copy of ID, made empty (no frame, nothing known) when there was none.
CopiedWindow& addCopiedWindow(Window id);
// Takes ID out of the root's children.
void removeFromCopiedOrder(Window id);
// Makes WINDOW a child of the root, on top of the others, as a new or
// reparented window is; out of the frame that held it, if one did.
void placeCopiedOnTop(CopiedWindow& window);
// Puts child ID of the root directly above its sibling ABOVE (None: at the
// bottom), as a ConfigureNotify tells; a sibling the copy lacks breaks the
// order.
void restackCopied(Window id, Window above);
// The windows that child FRAME of the root held are in it no more (it went,
// or left the root): their frame and place are unknown.
void unlinkCopiedInner(Window frame);
// Forgets window ID, which was destroyed.
void forgetCopiedWindow(Window id);
