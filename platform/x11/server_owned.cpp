#include "platform/x11/server_owned.h"

// Xlibint.h holds the mask the server gave the connection, which no public
// call hands out. Alone in this file: its macros clash with the standard
// library's names.
#include <X11/Xlibint.h>

bool checkX11ServerOwned(Display* display, XID id) {
    // Client ranges start at one more than the mask; the server's is below.
    return (id & ~display->resource_mask) == 0;
}
