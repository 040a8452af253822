#pragma once
// State and helpers shared by the files of the X11 wallpaper backend. Only
// the backend includes this; everything else sees platform/platform.h alone.
#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "platform/x11/desktop.h"

struct PlatformEvent;

// One desktop-background window over one monitor.
struct WallpaperOutput {
    X11Monitor monitor;
    Window window;
    bool obscured;  // the server said wholly obscured (holds without a compositor)
    bool covered;   // the window stack says wholly covered
};

// The wallpaper's own connection (null while none runs), its outputs in
// monitor order, and the window of ours that holds the display's wallpaper
// claim.
extern Display* wallpaperDisplay;
extern std::vector<WallpaperOutput> wallpaperOutputs;
extern Window wallpaperClaimOwner;
// The outputs are windows the window manager manages, as desktop windows,
// rather than override-redirect ones the program places itself: under a
// compositing manager that draws every override-redirect window over the
// windows it manages (KWin), whatever the stack says.
extern bool wallpaperManaged;

// Follows the monitors as they are now: moves, resizes, adds and removes
// windows, and queues a size event for each output that changed.
void followWallpaperMonitors();
// Reads again which outputs the window stack covers.
void readWallpaperCoverage();

// Where the outputs stand in the stack (stacking.cpp). The child of the
// root right above which they belong (None: the bottom): the highest
// desktop window of another program that covers a whole monitor and paints
// its own background; its program is told of once, on standard output.
Window findWallpaperFloor();
// Puts the outputs back in their place when the stack has them elsewhere
// (asking the window manager, for outputs it manages); true when it
// restacked them.
bool keepWallpaperInPlace();
// Whether the window manager named MANAGER draws override-redirect windows
// over the windows it manages, so that the outputs are to be managed ones.
bool checkManagerDrawsUnmanagedOnTop(const std::string& manager);
// True when the desktop windows' looks are due to be read again, or a pause
// in restacking has ended: the place is to be checked though no event came.
bool checkWallpaperPlaceDue();
// Forgets what was learnt of the desktop's windows, for a wallpaper that ended.
void forgetWallpaperStacking();
// The line that tells the user of NAME, a desktop program whose icons the
// picture is drawn over, what would keep them over it (advice.cpp).
// CLEAR_WITHOUT_BLENDING: its window is clear around its icons, but no
// compositing manager runs to show what lies beneath; MANAGER, the window
// manager's name, tells how to start one.
std::string adviseX11DesktopProgram(const std::string& name, bool clearWithoutBlending, const std::string& manager);

// Reads the connection, the quit signals and the claim, sleeping up to WAIT
// milliseconds (0: not at all) when nothing is due; what they say is queued
// for the program.
void pumpWallpaperEvents(int wait);
// Forgets what the events noted of a wallpaper that ended.
void forgetWallpaperEvents();

// The display's one wallpaper (claim.cpp). Claims it for OWNER, a window of
// ours that lives as long as the wallpaper: a wallpaper that held it is told
// to end, and is waited for. The claim goes with our connection, so a crash
// leaves no stale one. False after recording why.
bool claimX11Wallpaper(Display* display, Window owner);
// True when EVENT tells that another took the claim from OWNER.
bool checkX11WallpaperTaken(Display* display, Window owner, const XEvent& event);
// Ends the wallpaper that holds the claim on the environment's display and
// waits until it has: 1 when one ended, 0 when none held it, -1 after
// recording why.
int stopX11Wallpaper();

// The backend's functions, as platform.h describes them.
bool x11WallpaperPollEvent(PlatformEvent* event);
bool x11WallpaperWaitEvent(PlatformEvent* event);
