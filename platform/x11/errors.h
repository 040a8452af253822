#pragma once
// X11 services the SDL backend needs where SDL 2 falls short. SDL loads the
// same libX11 the program links, so these talk to SDL's own connection. Each
// gives a neutral answer when the video driver is not X11.
#include <SDL.h>

#include <X11/Xlib.h>

#include <cstddef>
#include <functional>

// Records X protocol errors from now on instead of letting Xlib's default
// handler end the process, and learns SDL's connection so that
// drainX11Requests can reach it before any window of ours exists.
// Process-wide; pair with endX11ErrorTrap. Call after SDL_Init.
void beginX11ErrorTrap();
// From now on, for the rest of the run, X errors are recorded and never end
// the process: for a window another program owns, which may vanish under us.
void keepX11ErrorsTrapped();
// True when an X error was recorded outside a trap since the previous call.
bool takeX11ErrorSeen();
// Waits for the server to answer every request sent so far on the window's
// connection (when a window is given), restores the previous handler and
// reports the first error trapped since beginX11ErrorTrap: false when none,
// else true with a line naming the cause in WHY.
bool endX11ErrorTrap(SDL_Window* window, char* why, size_t size);
// What the X server says of a window now, in one round trip: whether it
// still exists, and then its size and whether it and every window around it
// is mapped. Not found when it cannot be asked (not X11).
struct X11WindowState {
    bool found = false;
    int width = 0;
    int height = 0;
    bool viewable = false;
};
X11WindowState readX11WindowState(SDL_Window* window);
// Asks the X server to tell when the window (one of the program's own) comes
// to be wholly covered or uncovered, and when the window stack changes, and
// SDL to pass those reports on.
void watchX11Visibility(SDL_Window* window);
// True when EVENT is the X server's report that the window came to be wholly
// covered or uncovered; OBSCURED then says whether it is wholly covered now.
// Under a compositing manager the server reports every window as uncovered.
bool readX11VisibilityChange(SDL_Window* window, const SDL_Event& event, bool* obscured);
// True when EVENT may change which windows cover the window: ask
// checkX11StackCovers again.
bool readX11StackChange(SDL_Window* window, const SDL_Event& event);
// True when the window stack says that opaque windows above the window cover
// all of it, compositing manager or not.
bool checkX11StackCovers(SDL_Window* window);
// Waits, with X errors recorded rather than fatal, for the server to answer
// every request sent so far on SDL's connection. SDL_Quit puts Xlib's default
// handler back before it closes the connection, and that handler ends the
// process on an error still on its way: call this right before SDL_Quit.
void drainX11Requests();
// True when an EWMH window manager runs on the window's screen, the kind that
// honours SDL's desktop-fullscreen request.
bool checkX11WindowManager(SDL_Window* window);
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
