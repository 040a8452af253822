#pragma once
// X11 services where a library between the program and the server falls
// short: the error trap, checks of requests that may fail, and what the
// server says of a window. Xlib only, on the connection the caller gives.
#include <X11/Xlib.h>

#include <cstddef>
#include <functional>

// Records X protocol errors from now on instead of letting Xlib's default
// handler end the process. Process-wide; pair with endX11ErrorTrap.
void beginX11ErrorTrap();
// From now on, for the rest of the run, X errors are recorded and never end
// the process: windows of others vanish under us, and a library may send a
// request about a window of ours just destroyed. Process-wide; may be called
// before any display is open.
void keepX11ErrorsTrapped();
// From now on, a connection to an X server that goes away ends the process
// with one line, "Marivelle: the X server closed the connection", and
// kPlatformLostExitStatus, in place of Xlib's own lines. Process-wide.
void catchX11ConnectionLoss();
// True when an X error was recorded outside a trap since the previous call.
bool takeX11ErrorSeen();
// Waits for DISPLAY (when not null) to answer every request sent so far,
// restores the previous handler and reports the first error trapped since
// beginX11ErrorTrap: false when none, else true with a line naming the cause
// in WHY. A null DISPLAY is one that has already gone: an error of an
// extension is then taken for GLX's, the likeliest cause.
bool endX11ErrorTrap(Display* display, char* why, size_t size);
// What the X server says of a window now, in one round trip: whether it
// still exists, and then its size and whether it and every window around it
// is mapped.
struct X11WindowState {
    bool found = false;
    int width = 0;
    int height = 0;
    bool viewable = false;
};
X11WindowState readX11WindowState(Display* display, Window window);
// Asks the X server to tell when WINDOW (one of the program's own) comes to
// be wholly covered or uncovered, and when the window stack changes.
void watchX11Visibility(Display* display, Window window);
// True when EVENT is the X server's report that WINDOW came to be wholly
// covered or uncovered; OBSCURED then says whether it is wholly covered now.
// Under a compositing manager the server reports every window as uncovered.
bool readX11VisibilityChange(Window window, const XEvent& event, bool* obscured);
// Waits, with X errors recorded rather than fatal, for DISPLAY to answer
// every request sent so far. A library that puts Xlib's default handler back
// before it closes its connection would otherwise end the process on an
// error still on its way.
void drainX11Requests(Display* display);
// Runs REQUESTS on DISPLAY, which concern RESOURCE (0: no one resource),
// waits for the server to answer them and tells whether any failed; their
// errors are the check's, any other goes where it would have gone.
bool checkX11RequestsFail(Display* display, unsigned long resource, const std::function<void()>& requests);
// True when WINDOW exists on DISPLAY now.
bool checkX11WindowExists(Display* display, Window window);
// True when an EWMH window manager runs on DISPLAY's default screen.
bool checkX11WindowManagerRuns(Display* display);
// Checks, on a connection of its own, that ID names an existing window that
// can be drawn in; 0 names the root window. RESOLVED receives the window's id.
// False with a line naming the cause in WHY otherwise.
bool resolveX11Window(unsigned long id, unsigned long* resolved, char* why, size_t size);
