// Wayland backend: the outputs and the background surface on each. The
// compositor's events are noted by the listeners and applied when the
// program takes events (applyWlOutputChanges), so that the seam's outputs
// change only then.
#include <epoxy/egl.h>

#include <algorithm>
#include <cstdio>

#include "platform/system/counter.h"
#include "platform/system/event_queue.h"
#include "platform/system/last_error.h"
#include "platform/wayland/wayland_backend.h"
#include "platform/wayland/geometry.h"

namespace {

// A surface that got no frame callback for this long after a frame counts
// as hidden: the compositor sends none to a surface nobody can see.
constexpr int64_t kHiddenAfterNanoseconds = 2000000000;
// How long a moment waits for an output's callback before leaving it out.
constexpr int kCallbackWaitMilliseconds = 100;
// A compositor that closes the background surface again as soon as it is
// made must not keep the program busy: past this many times a minute, the
// next one waits for the minute's end.
constexpr int kRemakesPerMinute = 3;
constexpr int64_t kMinuteNanoseconds = 60 * kCounterFrequency;

// The surface the context draws into now.
WlOutput* current = nullptr;

void noteGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*,
                  int32_t) {}
void noteMode(void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {}
void noteDone(void*, wl_output*) {}
void noteScale(void* data, wl_output*, int32_t scale) { static_cast<WlOutput*>(data)->reportedScale = scale; }
// Names come with version 4, which is never bound.
void noteName(void*, wl_output*, const char*) {}

const wl_output_listener outputListener = {noteGeometry, noteMode, noteDone, noteScale, noteName, noteName};

void noteConfigure(void* data, zwlr_layer_surface_v1*, uint32_t serial, uint32_t width, uint32_t height) {
    WlOutput* output = static_cast<WlOutput*>(data);
    output->configureSerial = serial;
    output->configuredWidth = width;
    output->configuredHeight = height;
    output->configurePending = true;
}

// Only noted: the surface is dropped and made again outside the listener,
// where destroying the object that called it is safe.
void noteClosed(void* data, zwlr_layer_surface_v1*) { static_cast<WlOutput*>(data)->closed = true; }

const zwlr_layer_surface_v1_listener layerListener = {noteConfigure, noteClosed};

void noteFrameDone(void* data, wl_callback* callback, uint32_t) {
    WlOutput* output = static_cast<WlOutput*>(data);
    wl_callback_destroy(callback);
    output->frame = nullptr;
    output->ready = true;
}

const wl_callback_listener frameListener = {noteFrameDone};

void makeCurrent(WlOutput* output) {
    if (output == current) {
        return;
    }
    EGLSurface surface = output != nullptr ? output->eglSurface : EGL_NO_SURFACE;
    // Without a surface the context stays current on none, so that GL
    // objects live on while no output has a buffer.
    eglMakeCurrent(wlEglDisplay, surface, surface, wlEglContext);
    current = output;
}

void setRegions(WlOutput* output, int width, int height) {
    wl_region* opaque = wl_compositor_create_region(wlCompositor);
    wl_region_add(opaque, 0, 0, width, height);
    wl_surface_set_opaque_region(output->surface, opaque);
    wl_region_destroy(opaque);
}

// Gives OUTPUT the buffer its last configure and scale ask for. True when
// the output's buffer size changed.
bool applyConfigure(WlOutput* output) {
    int32_t scale = chooseWlBufferScale(output->reportedScale);
    if (!output->configurePending && scale == output->scale) {
        return false;
    }
    if (output->configurePending) {
        zwlr_layer_surface_v1_ack_configure(output->layerSurface, output->configureSerial);
        output->configurePending = false;
    }
    output->scale = scale;
    int width = 0;
    int height = 0;
    if (!computeWlBufferSize(output->configuredWidth, output->configuredHeight, scale, &width, &height)) {
        // No size yet, or one past any buffer: drawn again after a usable one.
        bool had = output->width != 0;
        output->width = 0;
        output->height = 0;
        return had;
    }
    if (width == output->width && height == output->height && output->eglSurface != EGL_NO_SURFACE) {
        return false;
    }
    wl_surface_set_buffer_scale(output->surface, scale);
    setRegions(output, static_cast<int>(output->configuredWidth), static_cast<int>(output->configuredHeight));
    if (output->eglWindow == nullptr) {
        output->eglWindow = wl_egl_window_create(output->surface, width, height);
    } else {
        wl_egl_window_resize(output->eglWindow, width, height, 0, 0);
    }
    if (output->eglWindow != nullptr && output->eglSurface == EGL_NO_SURFACE) {
        output->eglSurface = eglCreatePlatformWindowSurfaceEXT(wlEglDisplay, wlEglConfig, output->eglWindow, nullptr);
        if (output->eglSurface == EGL_NO_SURFACE) {
            setPlatformError("EGL refused a surface for an output (error 0x%04x)", eglGetError());
            // At start-up the refusal is the one line that ends it.
            if (wlRunning) {
                std::fprintf(stderr, "Marivelle: %s; it stays without the aquarium\n", readPlatformError());
            }
        } else {
            // A swap must never wait for a surface that nobody sees; the
            // frame callbacks pace the drawing instead.
            WlOutput* was = current;
            makeCurrent(output);
            eglSwapInterval(wlEglDisplay, 0);
            makeCurrent(was);
        }
    }
    output->width = width;
    output->height = height;
    return true;
}

bool checkHidden(const WlOutput* output, int64_t now) {
    return !output->ready && now - output->presentedAt > kHiddenAfterNanoseconds;
}

// Releases OUTPUT's surfaces, keeping the output itself, and forgets their
// size, frames and configure: the next surface starts as a new one does.
void dropSurface(WlOutput* output) {
    if (current == output) {
        makeCurrent(nullptr);
    }
    if (output->eglSurface != EGL_NO_SURFACE) {
        eglDestroySurface(wlEglDisplay, output->eglSurface);
        output->eglSurface = EGL_NO_SURFACE;
    }
    if (output->eglWindow != nullptr) {
        wl_egl_window_destroy(output->eglWindow);
        output->eglWindow = nullptr;
    }
    if (output->frame != nullptr) {
        wl_callback_destroy(output->frame);
        output->frame = nullptr;
    }
    if (output->layerSurface != nullptr) {
        zwlr_layer_surface_v1_destroy(output->layerSurface);
        output->layerSurface = nullptr;
    }
    if (output->surface != nullptr) {
        wl_surface_destroy(output->surface);
        output->surface = nullptr;
    }
    output->configurePending = false;
    output->configuredWidth = 0;
    output->configuredHeight = 0;
    output->width = 0;
    output->height = 0;
    output->ready = true;
}

// Nanoseconds from NOW until OUTPUT's closed surface may be made again; 0
// when it may be now.
int64_t waitBeforeRemake(const WlOutput* output, int64_t now) {
    if (output->remakes < kRemakesPerMinute || now - output->remakeWindowStart >= kMinuteNanoseconds) {
        return 0;
    }
    return output->remakeWindowStart + kMinuteNanoseconds - now;
}

// Gives OUTPUT, whose surface the compositor closed, a new one once the
// limit allows; until then it stays without.
void remakeSurface(WlOutput* output, int64_t now) {
    dropSurface(output);
    if (waitBeforeRemake(output, now) > 0) {
        return;
    }
    if (output->remakes == 0 || now - output->remakeWindowStart >= kMinuteNanoseconds) {
        output->remakeWindowStart = now;
        output->remakes = 0;
    }
    output->remakes++;
    output->closed = false;
    if (!makeWlBackground(output)) {
        std::fprintf(stderr, "Marivelle: %s; that output stays without the aquarium\n", readPlatformError());
    }
}

// True while OUTPUT has a surface the compositor still shows.
bool checkLive(const WlOutput* output) { return !output->gone && !output->closed; }

} // namespace

void addWlOutputGlobal(uint32_t name, uint32_t version) {
    WlOutput* output = new WlOutput;
    output->name = name;
    output->output = static_cast<wl_output*>(
        wl_registry_bind(wlRegistry, name, &wl_output_interface, std::min<uint32_t>(version, 3)));
    wl_output_add_listener(output->output, &outputListener, output);
    wlOutputs.push_back(output);
}

void removeWlOutputGlobal(uint32_t name) {
    for (WlOutput* output : wlOutputs) {
        if (output->name == name) {
            output->gone = true;
        }
    }
}

bool makeWlBackground(WlOutput* output) {
    output->surface = wl_compositor_create_surface(wlCompositor);
    if (output->surface == nullptr) {
        setPlatformError("the Wayland compositor would not make a surface");
        return false;
    }
    // Clicks go through to the desktop.
    wl_region* input = wl_compositor_create_region(wlCompositor);
    wl_surface_set_input_region(output->surface, input);
    wl_region_destroy(input);
    output->layerSurface =
        zwlr_layer_shell_v1_get_layer_surface(wlLayerShell, output->surface, output->output, wlLayer, "wallpaper");
    // All four edges and no size: the compositor gives the output's size;
    // under panels too, and never the keyboard.
    zwlr_layer_surface_v1_set_size(output->layerSurface, 0, 0);
    zwlr_layer_surface_v1_set_anchor(output->layerSurface,
                                     ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(output->layerSurface, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(output->layerSurface, 0);
    zwlr_layer_surface_v1_add_listener(output->layerSurface, &layerListener, output);
    wl_surface_commit(output->surface);
    return true;
}

void destroyWlOutput(WlOutput* output) {
    dropSurface(output);
    if (wl_output_get_version(output->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
        wl_output_release(output->output);
    } else {
        wl_output_destroy(output->output);
    }
    delete output;
}

void applyWlOutputChanges() {
    std::vector<WlOutput*> before = wlShown;
    std::vector<WlOutput*> resized;
    std::vector<WlOutput*> kept;
    int64_t now = readMonotonicCounter();
    for (WlOutput* output : wlOutputs) {
        if (output->gone) {
            destroyWlOutput(output);
            continue;
        }
        kept.push_back(output);
        if (output->closed) {
            remakeSurface(output, now);
        }
        if (output->layerSurface != nullptr && applyConfigure(output)) {
            resized.push_back(output);
        }
    }
    wlOutputs = kept;
    wlShown.clear();
    for (WlOutput* output : wlOutputs) {
        if (output->eglSurface != EGL_NO_SURFACE && output->width > 0) {
            wlShown.push_back(output);
        }
    }
    bool countChanged = wlShown.size() != before.size();
    for (size_t i = 0; i < wlShown.size(); ++i) {
        bool moved = i >= before.size() || before[i] != wlShown[i];
        bool grew = std::find(resized.begin(), resized.end(), wlShown[i]) != resized.end();
        if (moved || grew || (i == 0 && countChanged)) {
            queueOutputSize(static_cast<int>(i), wlShown[i]->width, wlShown[i]->height);
        }
    }
    // With one output the program never names it: it must be current.
    if (std::find(wlShown.begin(), wlShown.end(), current) == wlShown.end() || wlShown.size() == 1) {
        makeCurrent(wlShown.empty() ? nullptr : wlShown.front());
    }
}

int readWlRemakeWait() {
    int64_t now = readMonotonicCounter();
    int64_t soonest = -1;
    for (const WlOutput* output : wlOutputs) {
        if (output->closed && !output->gone) {
            int64_t wait = waitBeforeRemake(output, now);
            soonest = soonest < 0 ? wait : std::min(soonest, wait);
        }
    }
    // Rounded up: woken a little early, the wait would only begin again.
    return soonest < 0 ? -1 : static_cast<int>((soonest + 999999) / 1000000);
}

bool checkWlAnyOutputSeen() {
    int64_t now = readMonotonicCounter();
    for (const WlOutput* output : wlShown) {
        if (!checkHidden(output, now)) {
            return true;
        }
    }
    return false;
}

int wlGetOutputCount() { return static_cast<int>(wlShown.size()); }

void wlGetOutputSize(int index, int* width, int* height) {
    *width = 0;
    *height = 0;
    if (index >= 0 && index < wlGetOutputCount()) {
        *width = wlShown[index]->width;
        *height = wlShown[index]->height;
    }
}

bool wlIsOutputVisible(int index) {
    if (index < 0 || index >= wlGetOutputCount()) {
        return false;
    }
    WlOutput* output = wlShown[index];
    int64_t deadline = readMonotonicCounter() + static_cast<int64_t>(kCallbackWaitMilliseconds) * 1000000;
    // The last frame's callback is usually here by the next moment; a short
    // wait for it keeps the frame rate without drawing what nobody shows.
    while (!output->ready && checkLive(output) && !checkHidden(output, readMonotonicCounter())) {
        int64_t left = (deadline - readMonotonicCounter()) / 1000000;
        if (left <= 0 || !pumpWlEvents(static_cast<int>(left))) {
            break;
        }
    }
    return output->ready && checkLive(output);
}

void wlMakeOutputCurrent(int index) {
    if (index >= 0 && index < wlGetOutputCount()) {
        makeCurrent(wlShown[index]);
    }
}

void wlPresentOutput(int index) {
    if (index < 0 || index >= wlGetOutputCount() || wlShown[index] != current) {
        return;
    }
    WlOutput* output = wlShown[index];
    if (output->frame == nullptr) {
        output->frame = wl_surface_frame(output->surface);
        wl_callback_add_listener(output->frame, &frameListener, output);
    }
    output->ready = false;
    output->presentedAt = readMonotonicCounter();
    eglSwapBuffers(wlEglDisplay, output->eglSurface);
}
