#pragma once
// The seam as a table: each desktop backend fills one, and backend_choice.cpp
// forwards every function of platform.h to the one chosen at start-up. Only
// the backends and that file include this. What no window system is part of
// (the last error, the power state, the counter) is in system/, the same for
// every backend, and not in the table.
#include <cstdint>

struct PlatformEvent;

struct PlatformBackend {
    bool (*createWindow)(const char* title, int width, int height);
    bool (*attachWindow)(uint64_t windowId);
    bool (*createEmbeddedWindow)(const char* title, int width, int height);
    bool (*createWallpaper)(bool bottomLayer);
    int (*stopWallpaper)();
    void (*showWindow)();
    void (*destroyWindow)();
    bool (*pollEvent)(PlatformEvent* event);
    bool (*waitEvent)(PlatformEvent* event);
    bool (*isWindowVisible)();
    void (*getDrawableSize)(int* width, int* height);
    void (*inhibitScreensaver)(bool on, const char* reason);
    int (*chooseMonitor)(int index);
    bool (*setFullscreen)(bool on);
    bool (*isFullscreen)();
    bool (*windowExists)();
    void (*swapBuffers)();
    int (*getOutputCount)();
    void (*getOutputSize)(int index, int* width, int* height);
    bool (*isOutputVisible)(int index);
    void (*makeOutputCurrent)(int index);
    void (*presentOutput)(int index);
    bool (*isKeyPressed)(int virtualKey);
    void (*messageBox)(const char* text, const char* caption);
};

// SDL2 (sdl/): the program's own window and a screensaver's given window.
extern const PlatformBackend sdlPlatform;
// Xlib and GLX (x11_wallpaper/): the wallpaper on an X display.
extern const PlatformBackend x11WallpaperPlatform;
// wayland-client and EGL (wayland/): the wallpaper on a layer-shell compositor.
extern const PlatformBackend wlPlatform;

// A wallpaper that was told to end, because another started or --stop asked,
// is given this long to go.
constexpr int kWallpaperEndSeconds = 30;

// What a look at the Wayland session found, for the wallpaper's choice.
enum class WaylandProbe {
    Unreachable,   // no compositor answers at WAYLAND_DISPLAY
    NoLayerShell,  // it answers, and offers no zwlr_layer_shell_v1
    LayerShell,    // it offers the background layer
};
// Connects to the compositor at WAYLAND_DISPLAY and reads its globals; a
// connection that offers the layer shell is kept for wlPlatform's wallpaper.
WaylandProbe probeWaylandSession();
