#pragma once
// The window-system seam. The program links backend_choice.cpp, which sends
// each call to the backend it chose at start-up: SDL (sdl/) for a window of
// its own or a screensaver's, Xlib and GLX (x11_wallpaper/) or Wayland
// (wayland/) for the wallpaper. Tests and tools link the headless twin
// (headless/) instead. What belongs to no window system (the last error, the
// counter, the power state) is in system/. No backend type leaks through
// this header, so the scene never knows which one it runs on.
#include <cstdint>

// The exit status of a program whose window system went away under it.
constexpr int kPlatformLostExitStatus = 1;

enum PlatformEventType {
    PLATFORM_EVENT_QUIT,   // the session asks the program to end
    PLATFORM_EVENT_CLOSE,  // the window's close button or a close request
    PLATFORM_EVENT_CHAR,   // a typed character; `character` holds its code (27 for Escape)
    PLATFORM_EVENT_SIZE,   // the drawable changed size; `width` and `height` in pixels
    PLATFORM_EVENT_FULLSCREEN_KEY,  // the user asked for the other of fullscreen and window
    PLATFORM_EVENT_PICTURE_KEY,     // the user asked to save the picture (F12)
    PLATFORM_EVENT_HELP_KEY,        // the user asked for the help box, or to hide it (F1)
    PLATFORM_EVENT_DRAG,   // the mouse moved with its left or right button held; `dx`, `dy` in pixels
    PLATFORM_EVENT_WHEEL,  // the wheel turned; `dy` notches, positive away from the user
    PLATFORM_EVENT_LOST,   // the window system went away; platformGetLastError() says how
    PLATFORM_EVENT_EXPOSE, // part of the window was uncovered and shows nothing until drawn again
};

struct PlatformEvent {
    PlatformEventType type;
    int character;
    int width;
    int height;
    int output;  // with PLATFORM_EVENT_SIZE, the output that changed (0 but for the wallpaper)
    int dx;      // with PLATFORM_EVENT_DRAG: rightwards
    int dy;      // with PLATFORM_EVENT_DRAG: downwards; with PLATFORM_EVENT_WHEEL: notches away
};

// Creates the window (hidden until platformShowWindow) with a double-buffered
// RGBA context of at least 16 depth and 8 stencil bits, compatibility profile,
// and makes the context current. False when no window or context can be had;
// platformGetLastError() then says why.
bool platformCreateWindow(const char* title, int width, int height);
// Draws into an existing window that another program made and owns, such as
// a screensaver daemon's, named by its window-system id; 0 names the whole
// screen (the root window). The context takes that window's own pixel format,
// so its depth and stencil bits are what the window has: read them back. No
// window of the program's own is made or shown, no key or pointer input is
// read, message boxes go to standard error and the screensaver is allowed to
// run. The size events follow the window's size. False when the id names no
// window or no context can be had; platformGetLastError() then says why.
bool platformAttachWindow(uint64_t windowId);
// A window of the program's own that a desktop shell shows as its
// background, as GNOME Shell's extension for the program does: made as
// platformCreateWindow's, on the Wayland display where there is one, it
// reads no key or pointer input and holds no screensaver off. The shell
// speaks on standard input (system/host_channel.h): the window is visible
// until the shell says "unseen" and again once it says "seen", "size W H"
// resizes it, and the end of the input is a QUIT event. False as
// platformCreateWindow.
bool platformCreateEmbeddedWindow(const char* title, int width, int height);
// Draws the desktop's background on every monitor: a window of the program's
// own under the desktop's icons and every other window on each, reading no
// key or pointer input (clicks reach the desktop), each one an output below.
// It claims the display's one wallpaper: a wallpaper of this program that
// already runs there is asked to end, and ends with status 0. It follows
// monitors that come, go or change size. From then on a QUIT event also
// comes when another wallpaper takes over or platformStopWallpaper asks.
// On Wayland the windows are layer-shell surfaces on the background layer,
// or with BOTTOMLAYER on the bottom one, over the compositor's own
// background and still under every window; on X11 the flag changes nothing.
// False when it cannot be had; platformGetLastError() then says why.
bool platformCreateWallpaper(bool bottomLayer);
// Asks the wallpaper that runs on the display to end, and waits until it
// has. 1 when one ended, 0 when none was running, -1 when the display
// cannot be reached or the wallpaper did not end; platformGetLastError()
// then says why. Needs no window of its own.
int platformStopWallpaper();
// Shows the window created above.
void platformShowWindow();
// Releases the context and the window. Safe to call when none exists.
void platformDestroyWindow();
// One line describing the last failure of platformCreateWindow,
// platformAttachWindow or platformSetFullscreen.
const char* platformGetLastError();
// Takes the next pending event; false when none waits.
bool platformPollEvent(PlatformEvent* event);
// Sleeps until an event waits and takes it, as platformPollEvent does. May
// wake without one (false) when the window is due for its periodic check;
// call it again. For a program that draws nothing while nobody can see it.
bool platformWaitEvent(PlatformEvent* event);
// False while nobody can see the window (for the wallpaper: any of its
// outputs): minimised, hidden, or wholly covered by other windows as far as
// the window system says. A window another
// program owns counts as seen while it and every window around it is mapped,
// as the periodic check last found it.
bool platformIsWindowVisible();
// Size of the drawable area in pixels, as the window system has it now. A
// size event is also sent when it comes to differ from the size this last
// returned without the window system saying so (checked a few times a
// second).
void platformGetDrawableSize(int* width, int* height);
// Keeps the user's screensaver from blanking or locking the screen while ON,
// as a video player does, naming the program and REASON to the desktop's
// screensaver service; OFF lets it run again. A window that another program
// owns, or the wallpaper, never holds it off.
void platformInhibitScreensaver(bool on, const char* reason);
// Opens the next window (platformCreateWindow) in the middle of monitor
// INDEX, 0 being the first, where fullscreen then covers that monitor.
// Returns how many monitors there are, or 0 when no display answers; an
// INDEX past them is the caller's to refuse.
int platformChooseMonitor(int index);
// Covers the display that holds the window, at the desktop's resolution (the
// display mode never changes), or gives the window back its earlier size and
// place. False when the window cannot do it; platformGetLastError() then
// says why. The size events that follow carry the new drawable size.
bool platformSetFullscreen(bool on);
bool platformIsFullscreen();
// False once the window is gone: one that another program owns can be taken
// away at any time, and frames drawn into it meanwhile raise errors that are
// no fault of ours. Asks the window system now; for rare use.
bool platformWindowExists();
// Presents the back buffer.
void platformSwapBuffers();

// Outputs: the drawables a moment is shown on. The program's window, a given
// window and fullscreen are one output, index 0, which the functions above
// speak of; the wallpaper has one per monitor. The count and the sizes change
// only while events are taken; a size event with `output` set tells of each
// change, and a change in number sends one for output 0 as well.
int platformGetOutputCount();
// Output INDEX's drawable size in pixels, as last reported to the program.
void platformGetOutputSize(int index, int* width, int* height);
// False while nobody can see output INDEX (see platformIsWindowVisible).
bool platformIsOutputVisible(int index);
// Makes the context draw into output INDEX; with one output, already so.
void platformMakeOutputCurrent(int index);
// Presents output INDEX's back buffer; it must be the current output.
void platformPresentOutput(int index);
// True when the key with this virtual-key code (letters 'A'..'Z', arrows
// 37..40) is down now or was pressed at any time since its previous poll.
bool platformIsKeyPressed(int virtualKey);
// Where the machine draws its power from now, as the system says; a machine
// with no battery, or one whose state cannot be read, is on mains.
enum PlatformPower : int { PLATFORM_POWER_MAINS, PLATFORM_POWER_BATTERY };
PlatformPower platformReadPower();
// Monotonic high-resolution counter and its ticks per second.
int64_t platformReadCounter();
int64_t platformReadCounterFrequency();
// A modal box with one OK button and no owner window. A null caption shows
// "Error". Where no box can be shown the text goes to standard error.
void platformMessageBox(const char* text, const char* caption);
