#pragma once
// State and helpers shared by the files of the Wayland backend: the wallpaper
// as one layer surface per output, drawn by one EGL context. Only the
// backend includes this.
#include <EGL/egl.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

// One output of the compositor and the background surface on it. Listeners
// only note what the compositor says; the notes are applied when the
// program takes events, so that outputs change only then.
struct WlOutput {
    uint32_t name = 0;  // the output's global in the registry
    wl_output* output = nullptr;
    int32_t reportedScale = 1;  // as the output last said
    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layerSurface = nullptr;
    wl_egl_window* eglWindow = nullptr;
    EGLSurface eglSurface = EGL_NO_SURFACE;
    // The last configure, not yet acknowledged while `configurePending`.
    uint32_t configureSerial = 0;
    uint32_t configuredWidth = 0;
    uint32_t configuredHeight = 0;
    bool configurePending = false;
    // What the buffer is now (0 x 0 before the first usable configure).
    int32_t scale = 1;
    int width = 0;
    int height = 0;
    // The output left: it goes at the next applyWlOutputChanges.
    bool gone = false;
    // The compositor closed the layer surface while the output stays: the
    // surface is dropped and made again, at most kRemakesPerMinute times a
    // minute (outputs.cpp), counted from `remakeWindowStart`.
    bool closed = false;
    int remakes = 0;
    int64_t remakeWindowStart = 0;
    // Frames: one callback at a time; `ready` once it came (or before the
    // first frame), `presentedAt` the counter when the last frame went.
    wl_callback* frame = nullptr;
    bool ready = true;
    int64_t presentedAt = 0;
};

// The connection and the globals; null while none is open.
extern wl_display* wlDisplay;
extern wl_registry* wlRegistry;
extern wl_compositor* wlCompositor;
extern zwlr_layer_shell_v1* wlLayerShell;
extern EGLDisplay wlEglDisplay;
extern EGLConfig wlEglConfig;
extern EGLContext wlEglContext;
// Every output the registry announced, and those the program draws on (in
// seam order: the ones with a buffer).
extern std::vector<WlOutput*> wlOutputs;
extern std::vector<WlOutput*> wlShown;
// The layer the surfaces go on (background, or bottom for Plasma).
extern uint32_t wlLayer;
// True from the wallpaper's first frame on: a fault with one output is said
// on standard error then, and that output goes without.
extern bool wlRunning;

// The seam's functions that other files of the backend define, each as
// platform.h describes it; wlPlatform (backend.h) holds them.
bool wlPollEvent(PlatformEvent* event);
bool wlWaitEvent(PlatformEvent* event);
int wlGetOutputCount();
void wlGetOutputSize(int index, int* width, int* height);
bool wlIsOutputVisible(int index);
void wlMakeOutputCurrent(int index);
void wlPresentOutput(int index);

// The registry's listener (session.cpp hands it out).
void addWlOutputGlobal(uint32_t name, uint32_t version);
void removeWlOutputGlobal(uint32_t name);
// Gives OUTPUT its layer surface once the shell is bound; false after
// recording why.
bool makeWlBackground(WlOutput* output);
// Applies what the compositor said since the last call: surfaces made,
// resized, dropped or made again after the compositor closed them, wlShown
// rebuilt, a size event queued for each output of the program that changed
// (and for output 0 when the count did).
void applyWlOutputChanges();
// Releases OUTPUT's surfaces and the output itself.
void destroyWlOutput(WlOutput* output);
// Milliseconds until a closed surface may be made again; -1 when none
// waits for that.
int readWlRemakeWait();
// True while some output that has a buffer is not counted hidden.
bool checkWlAnyOutputSeen();

// Reads and dispatches what the compositor sent, waiting at most WAIT
// milliseconds (-1: until something comes) for it, the quit signals or the
// claim socket. False once the connection is lost; the reason is recorded.
bool pumpWlEvents(int wait);

// The session's one wallpaper (claim.cpp): a socket in XDG_RUNTIME_DIR
// named after the Wayland display. Claiming asks a running wallpaper to end
// and waits until it has. False after recording why.
bool claimWlWallpaper();
void releaseWlClaim();
// The claim's descriptor to wait on (-1 when none), and what to do when it
// is readable: true when another asks this wallpaper to end.
int readWlClaimDescriptor();
bool takeWlClaimRequest();
// 1 when a running wallpaper ended, 0 when none ran, -1 on failure.
int stopWlWallpaper();
