#pragma once
// Telling the X server's own resources from its clients': each client makes
// its ids within a range of its own, the server within none of them.
#include <X11/Xlib.h>

// True when ID, a resource on DISPLAY, was made by the X server itself (the
// root window, the overlay a compositing manager draws in, the screen
// saver's window), not by a client.
bool checkX11ServerOwned(Display* display, XID id);
