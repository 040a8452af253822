#pragma once
// Whether anybody can see the X screen at all: with the X server's screen
// saver on, or the monitor powered down (DPMS), no window shows, however it
// is stacked. Xlib only, on the connection the caller gives.
#include <X11/Xlib.h>

// Starts following DISPLAY's screen: asks the screen saver extension for
// its notices and reads its state, and learns whether the server can power
// the monitor down. Servers without either extension count as never blank.
// Safe to call again, and to be called for each new connection.
void startX11BlankWatch(Display* display);
// Looks at one X event from that connection; true when it tells that the
// screen saver went on or off, so the caller asks again.
bool noteX11BlankEvent(Display* display, const XEvent& event);
// True when nobody sees DISPLAY's screen now: its screen saver is on (when
// SAVER_COUNTS: a window a screensaver daemon gives the program is what
// shows while it is), or DPMS has the monitor in standby, suspend or off.
// No event tells of the power state: it is asked at most every two seconds,
// so a caller that sleeps while the screen is blank wakes that often.
bool checkX11ScreenBlank(Display* display, bool saverCounts);

// The rules, apart from the server, for the tests: a screen saver STATE of
// the extension's (ScreenSaverOff, On, Cycle, Disabled) blanks the screen
// when it is on or cycling; a power LEVEL of DPMS's hides it when the server
// is CAPABLE of it, it is ENABLED and the level is other than on.
bool decideX11SaverBlanks(int state);
bool decideX11PoweredDown(bool capable, bool enabled, int level);
