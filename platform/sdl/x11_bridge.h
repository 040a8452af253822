#pragma once
// The SDL backend's way to the X11 helpers (platform/x11/): SDL 2 loads the
// same libX11 the program links, so they can talk to SDL's own connection.
// Each gives a neutral answer when SDL's video driver is not X11.
#include <SDL.h>

#include <X11/Xlib.h>

#include <cstddef>

#include "platform/x11/errors.h"

// Makes every X error of the run, on any of SDL's connections, one that is
// recorded rather than fatal. Call before SDL starts its video: SDL keeps
// the handler it finds then and puts it back as it closes its connections,
// and an error still on its way then (a wake-up SDL sent to a window just
// destroyed) would otherwise end the program with Xlib's own lines.
void keepSdlX11ErrorsTrapped();
// SDL's X connection and the X id of WINDOW (into XID when not null); null
// when there is no window or it is not on X11.
Display* findSdlX11Window(SDL_Window* window, Window* xid);
// The X event inside EVENT when SDL passed one on from X11; null otherwise.
const XEvent* readSdlX11Event(const SDL_Event& event);
// beginX11ErrorTrap, and learns SDL's connection so that the trap can be
// drained before any window of ours exists. Call after SDL_Init.
void beginSdlX11ErrorTrap();
// endX11ErrorTrap on WINDOW's connection (none when WINDOW is null).
bool endSdlX11ErrorTrap(SDL_Window* window, char* why, size_t size);
// drainX11Requests on SDL's connection, which is then forgotten. SDL_Quit
// puts Xlib's default handler back before it closes the connection, and that
// handler ends the process on an error still on its way: call this right
// before SDL_Quit.
void drainSdlX11Requests();
// readX11WindowState for WINDOW; not found when it cannot be asked.
X11WindowState readSdlWindowState(SDL_Window* window);
// On X11, keeps WINDOW from ever taking the keyboard focus or a click: the
// pointer sees through it to whatever lies below. Does nothing elsewhere.
void makeSdlX11WindowPassive(SDL_Window* window);
// Asks the server to report WINDOW's visibility, the stack's changes and the
// screen saver's, and SDL to pass those reports on.
void watchSdlWindowVisibility(SDL_Window* window);
// True when the window stack says that opaque windows above WINDOW cover all
// of it, compositing manager or not.
bool checkSdlWindowCovered(SDL_Window* window);
// True when nobody sees the screen WINDOW is on: the X server's screen saver
// is on (when SAVER_COUNTS) or the monitor is powered down
// (checkX11ScreenBlank); false when not on X11.
bool checkSdlScreenBlank(SDL_Window* window, bool saverCounts);
// True when an EWMH window manager runs on WINDOW's screen, the kind that
// honours SDL's desktop-fullscreen request; true when not on X11.
bool checkSdlWindowManager(SDL_Window* window);
// True when the key KEYSYM stands for is down in KEYS, a keymap as
// XQueryKeymap and KeymapNotify give it (a bit a keycode).
bool checkX11KeyInKeymap(Display* display, const char* keys, KeySym keysym);
// True when the key KEYSYM stands for is down now on WINDOW's display; false
// when not on X11.
bool checkSdlX11KeyHeld(SDL_Window* window, KeySym keysym);
