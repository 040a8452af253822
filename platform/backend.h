#pragma once
// The seam as a table: each desktop backend fills one, and platform_choice.cpp
// forwards every function of platform.h to the one chosen at start-up. Only
// the backends and that file include this.
#include <cstdint>

struct PlatformEvent;
enum PlatformPower : int;

struct PlatformBackend {
    bool (*createWindow)(const char* title, int width, int height);
    bool (*attachWindow)(uint64_t windowId);
    bool (*createWallpaper)(bool bottomLayer);
    int (*stopWallpaper)();
    void (*showWindow)();
    void (*destroyWindow)();
    const char* (*getLastError)();
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
    PlatformPower (*readPower)();
    int64_t (*readCounter)();
    int64_t (*readCounterFrequency)();
    void (*messageBox)(const char* text, const char* caption);
};

// The power state, read through SDL (sdl_power.cpp) for every desktop backend.
PlatformPower sdlReadPower();

// SDL2 with its X11 helpers: the window, the screensaver's window, the X11
// wallpaper.
extern const PlatformBackend sdlPlatform;
// wayland-client and EGL: the wallpaper on a layer-shell compositor.
extern const PlatformBackend wlPlatform;

// What a look at the Wayland session found, for the wallpaper's choice.
enum class WaylandProbe {
    Unreachable,   // no compositor answers at WAYLAND_DISPLAY
    NoLayerShell,  // it answers, and offers no zwlr_layer_shell_v1
    LayerShell,    // it offers the background layer
};
// Connects to the compositor at WAYLAND_DISPLAY and reads its globals; a
// connection that offers the layer shell is kept for wlPlatform's wallpaper.
WaylandProbe probeWaylandSession();
