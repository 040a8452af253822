#pragma once
// Which window system draws the wallpaper, decided once at start-up from the
// session's environment and what its Wayland compositor offers.
#include "platform/backend.h"

enum class WallpaperSystem {
    Wayland,          // the layer shell's background
    LayerShellMissing,  // a Wayland session whose compositor cannot have one
    X11,              // the desktop-background windows of the X display
    None,             // neither can be reached
};

// WAYLAND_DISPLAY and DISPLAY as the environment holds them (null or empty
// when unset); PROBE is asked only when WAYLAND_DISPLAY is set, and at most
// once. A Wayland session without the protocol is refused rather than given
// an XWayland window, which would never be the background.
WallpaperSystem chooseWallpaperSystem(const char* waylandDisplay, const char* x11Display, WaylandProbe (*probe)());

// The line that says why SYSTEM (LayerShellMissing or None) draws no
// wallpaper, given the same environment.
const char* describeMissingWallpaperSystem(WallpaperSystem system, const char* waylandDisplay);
