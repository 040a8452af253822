// Wayland backend of the window-system seam: the wallpaper as a layer-shell
// surface on every output, drawn with EGL. The connection, its globals and
// the context live here; the outputs are in outputs.cpp, the events in
// events.cpp, the session's one wallpaper in claim.cpp. It draws only the
// wallpaper: no window of the program's own, no screensaver window, no keys.
#include <epoxy/egl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/backend.h"
#include "platform/system/event_queue.h"
#include "platform/system/last_error.h"
#include "platform/system/quit_signals.h"
#include "platform/system/wallpaper_only.h"
#include "platform/wayland/wayland_backend.h"

wl_display* wlDisplay = nullptr;
wl_registry* wlRegistry = nullptr;
wl_compositor* wlCompositor = nullptr;
zwlr_layer_shell_v1* wlLayerShell = nullptr;
EGLDisplay wlEglDisplay = EGL_NO_DISPLAY;
EGLConfig wlEglConfig = nullptr;
EGLContext wlEglContext = EGL_NO_CONTEXT;
std::vector<WlOutput*> wlOutputs;
std::vector<WlOutput*> wlShown;
uint32_t wlLayer = ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND;
bool wlRunning = false;

namespace {

uint32_t layerShellVersion = 0;
// Surfaces are made for outputs from the wallpaper's start on; before it the
// registry's outputs are only bound.
bool drawing = false;

void noteGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && wlCompositor == nullptr) {
        wlCompositor = static_cast<wl_compositor*>(
            wl_registry_bind(registry, name, &wl_compositor_interface, std::min<uint32_t>(version, 4)));
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0 && wlLayerShell == nullptr) {
        layerShellVersion = std::min<uint32_t>(version, 3);
        wlLayerShell = static_cast<zwlr_layer_shell_v1*>(
            wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, layerShellVersion));
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        addWlOutputGlobal(name, version);
        if (drawing && !makeWlBackground(wlOutputs.back())) {
            std::fprintf(stderr, "Marivelle: %s; that output stays without the aquarium\n", readPlatformError());
        }
    }
}

void noteGlobalGone(void*, wl_registry*, uint32_t name) { removeWlOutputGlobal(name); }

const wl_registry_listener registryListener = {noteGlobal, noteGlobalGone};

void ignoreLibraryLine(const char*, va_list) {}

// Closes whatever the connection holds, in the order the objects need.
void closeConnection() {
    drawing = false;
    wlRunning = false;
    for (WlOutput* output : wlOutputs) {
        destroyWlOutput(output);
    }
    wlOutputs.clear();
    wlShown.clear();
    if (wlEglDisplay != EGL_NO_DISPLAY) {
        eglMakeCurrent(wlEglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (wlEglContext != EGL_NO_CONTEXT) {
            eglDestroyContext(wlEglDisplay, wlEglContext);
        }
        eglTerminate(wlEglDisplay);
    }
    wlEglContext = EGL_NO_CONTEXT;
    wlEglDisplay = EGL_NO_DISPLAY;
    if (wlLayerShell != nullptr) {
        if (layerShellVersion >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION) {
            zwlr_layer_shell_v1_destroy(wlLayerShell);
        } else {
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(wlLayerShell));
        }
        wlLayerShell = nullptr;
    }
    if (wlCompositor != nullptr) {
        wl_compositor_destroy(wlCompositor);
        wlCompositor = nullptr;
    }
    if (wlRegistry != nullptr) {
        wl_registry_destroy(wlRegistry);
        wlRegistry = nullptr;
    }
    if (wlDisplay != nullptr) {
        wl_display_flush(wlDisplay);
        wl_display_disconnect(wlDisplay);
        wlDisplay = nullptr;
    }
    clearQueuedEvents();
}

// The EGL display, a config with 8-bit colour, 16 depth and 8 stencil bits
// (without alpha where one is offered: the surface is opaque) and a context
// of the compatibility profile. False after recording why.
bool startEgl() {
    // The EXT entry points: libepoxy offers the core ones only where the
    // client library says EGL 1.5, which Mesa's does not.
    if (!epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_EXT_platform_wayland") &&
        !epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_KHR_platform_wayland")) {
        setPlatformError("EGL here cannot draw on Wayland (no EGL_EXT_platform_wayland)");
        return false;
    }
    wlEglDisplay = eglGetPlatformDisplayEXT(EGL_PLATFORM_WAYLAND_EXT, wlDisplay, nullptr);
    if (wlEglDisplay == EGL_NO_DISPLAY || !eglInitialize(wlEglDisplay, nullptr, nullptr)) {
        wlEglDisplay = EGL_NO_DISPLAY;
        setPlatformError("EGL cannot draw on this Wayland compositor (error 0x%04x)", eglGetError());
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        setPlatformError("EGL offers no desktop OpenGL on this Wayland compositor");
        return false;
    }
    const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_RED_SIZE, 8,
                             EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 16, EGL_STENCIL_SIZE, 8, EGL_NONE};
    EGLConfig configs[64];
    EGLint count = 0;
    if (!eglChooseConfig(wlEglDisplay, wanted, configs, 64, &count) || count < 1) {
        setPlatformError("EGL has no config with 8-bit colour, 16 depth and 8 stencil bits for a Wayland surface");
        return false;
    }
    wlEglConfig = configs[0];
    for (EGLint i = 0; i < count; ++i) {
        EGLint alpha = 0;
        if (eglGetConfigAttrib(wlEglDisplay, configs[i], EGL_ALPHA_SIZE, &alpha) && alpha == 0) {
            wlEglConfig = configs[i];
            break;
        }
    }
    wlEglContext = eglCreateContext(wlEglDisplay, wlEglConfig, EGL_NO_CONTEXT, nullptr);
    if (wlEglContext == EGL_NO_CONTEXT) {
        setPlatformError("EGL cannot create an OpenGL context (error 0x%04x)", eglGetError());
        return false;
    }
    return true;
}

bool startDrawing() {
    // The signals first: one that comes while the claim waits for an older
    // wallpaper ends that wait, not only the program after it.
    if (!catchQuitSignals() || !claimWlWallpaper() || !startEgl()) {
        return false;
    }
    drawing = true;
    for (WlOutput* output : wlOutputs) {
        if (!makeWlBackground(output)) {
            return false;
        }
    }
    // Each surface's first configure answers its first commit.
    if (wl_display_roundtrip(wlDisplay) < 0) {
        setPlatformError("the Wayland compositor closed the connection");
        return false;
    }
    setPlatformError("%s", "");
    applyWlOutputChanges();
    clearQueuedEvents();
    if (wlShown.empty()) {
        // An EGL refusal has said why already.
        if (readPlatformError()[0] == '\0') {
            setPlatformError(wlOutputs.empty() ? "the Wayland compositor has no output to draw the background on"
                                         : "the Wayland compositor gave the background no size on any output");
        }
        return false;
    }
    if (readPlatformError()[0] != '\0') {
        std::fprintf(stderr, "Marivelle: %s; it stays without the aquarium\n", readPlatformError());
    }
    wlRunning = true;
    return true;
}

bool wlCreateWallpaper(bool bottomLayer) {
    wlLayer = bottomLayer ? ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND;
    if (wlDisplay == nullptr && probeWaylandSession() != WaylandProbe::LayerShell) {
        setPlatformError("the Wayland compositor offers no zwlr_layer_shell_v1");
        return false;
    }
    if (!startDrawing()) {
        std::string kept = readPlatformError();
        releaseWlClaim();
        ignoreLateQuitSignals();
        closeConnection();
        setPlatformError("%s", kept.c_str());
        return false;
    }
    return true;
}

int wlStopWallpaper() {
    closeConnection();
    // Ctrl-C while it waits for the wallpaper's end is said in one line.
    if (!catchQuitSignals()) {
        return -1;
    }
    return stopWlWallpaper();
}

void wlDestroyWindow() {
    if (wlDisplay == nullptr) {
        return;
    }
    // Ended by a signal or a newer wallpaper: a second signal while the
    // surfaces go must not end the program with the signal's status.
    ignoreLateQuitSignals();
    closeConnection();
    releaseWlClaim();
}

bool wlWindowExists() { return wlDisplay != nullptr; }

bool wlIsWindowVisible() { return checkWlAnyOutputSeen(); }
void wlGetDrawableSize(int* width, int* height) { wlGetOutputSize(0, width, height); }
void wlSwapBuffers() { wlPresentOutput(0); }

} // namespace

WaylandProbe probeWaylandSession() {
    closeConnection();
    // The library's own complaints would reach standard error as raw lines;
    // what went wrong is said once, in the program's words.
    wl_log_set_handler_client(ignoreLibraryLine);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* name = std::getenv("WAYLAND_DISPLAY");
    bool absolute = name != nullptr && name[0] == '/';
    if (!absolute && (runtime == nullptr || runtime[0] == '\0')) {
        return WaylandProbe::Unreachable;
    }
    wlDisplay = wl_display_connect(nullptr);
    if (wlDisplay == nullptr) {
        return WaylandProbe::Unreachable;
    }
    wlRegistry = wl_display_get_registry(wlDisplay);
    wl_registry_add_listener(wlRegistry, &registryListener, nullptr);
    if (wl_display_roundtrip(wlDisplay) < 0) {
        closeConnection();
        return WaylandProbe::Unreachable;
    }
    if (wlLayerShell == nullptr || wlCompositor == nullptr) {
        closeConnection();
        return WaylandProbe::NoLayerShell;
    }
    return WaylandProbe::LayerShell;
}

const PlatformBackend wlPlatform = {
    refuseOwnWindow,     refuseGivenWindow,     refuseOwnWindow,       wlCreateWallpaper,     wlStopWallpaper,
    ignoreShowWindow,    wlDestroyWindow,       wlPollEvent,           wlWaitEvent,
    wlIsWindowVisible,   wlGetDrawableSize,     ignoreScreensaverHold, answerNoMonitorChoice,
    refuseFullscreen,    answerNotFullscreen,   wlWindowExists,        wlSwapBuffers,
    wlGetOutputCount,    wlGetOutputSize,       wlIsOutputVisible,     wlMakeOutputCurrent,
    wlPresentOutput,     answerKeyUp,           printMessageBox,
};
