// Headless backend of the window-system seam: an EGL context on Mesa's
// surfaceless platform rendering into a pbuffer, a counter the caller drives,
// scripted keys and events, and message boxes recorded instead of shown.
// epoxy stands in for the GL headers and must come before EGL's.
#include "platform/gl_api.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "platform/system/last_error.h"

namespace {

EGLDisplay display = EGL_NO_DISPLAY;
EGLConfig chosenConfig = nullptr;
EGLContext context = EGL_NO_CONTEXT;

// Output 0 is the window's pbuffer; headlessAddOutput adds the others.
struct Output {
    EGLSurface surface;
    int width;
    int height;
    bool visible;
};
std::vector<Output>& getOutputs() {
    static std::vector<Output> outputs;
    return outputs;
}
std::vector<HeadlessPresent>& getPresents() {
    static std::vector<HeadlessPresent> presents;
    return presents;
}
bool fullscreenOn = false;

// Counter state is constant-initialised, so clocks started during static
// initialisation of other files already see a valid counter.
int64_t drivenTicks = 0;
bool realTime = false;
std::chrono::steady_clock::time_point realBase;
int64_t realBaseTicks = 0;

bool heldKeys[256] = {};
bool tappedKeys[256] = {};

std::deque<PlatformEvent>& getQueuedEvents() {
    static std::deque<PlatformEvent> events;
    return events;
}

std::vector<HeadlessMessage>& getShownMessages() {
    static std::vector<HeadlessMessage> recorded;
    return recorded;
}

bool fail(const char* what) {
    setPlatformError("%s (EGL error 0x%04x)", what, eglGetError());
    return false;
}

EGLDisplay openSurfacelessDisplay() {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        return EGL_NO_DISPLAY;
    }
    return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

bool checkKeyIndex(int virtualKey) { return virtualKey >= 0 && virtualKey < 256; }

} // namespace

bool platformCreateWindow(const char* /*title*/, int width, int height) {
    display = openSurfacelessDisplay();
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        return fail("cannot open Mesa's surfaceless EGL display");
    }
    const EGLint configAttributes[] = {
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
        EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
        EGL_DEPTH_SIZE, 16, EGL_STENCIL_SIZE, 8, EGL_NONE,
    };
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1) {
        return fail("no EGL configuration with RGBA8, depth and 8 stencil bits");
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        return fail("desktop OpenGL is not available through EGL");
    }
    const EGLint contextAttributes[] = {
        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE,
    };
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        return fail("cannot create a compatibility-profile OpenGL context");
    }
    chosenConfig = config;
    if (!headlessAddOutput(width, height)) {
        return false;
    }
    EGLSurface surface = getOutputs()[0].surface;
    if (!eglMakeCurrent(display, surface, surface, context)) {
        return fail("cannot make the context current");
    }
    return true;
}

bool headlessAddOutput(int width, int height) {
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, chosenConfig, surfaceAttributes);
    if (surface == EGL_NO_SURFACE) {
        return fail("cannot create the pbuffer");
    }
    getOutputs().push_back({surface, width, height, true});
    return true;
}

void headlessRemoveOutput(int index) {
    std::vector<Output>& outputs = getOutputs();
    if (index < 1 || index >= static_cast<int>(outputs.size())) {
        return;
    }
    // The context moves to the window's pbuffer, as a backend whose output
    // left makes another current.
    EGLSurface window = outputs[0].surface;
    eglMakeCurrent(display, window, window, context);
    eglDestroySurface(display, outputs[static_cast<size_t>(index)].surface);
    outputs.erase(outputs.begin() + index);
}

void headlessSetOutputVisible(int index, bool visible) {
    if (index >= 0 && index < platformGetOutputCount()) {
        getOutputs()[index].visible = visible;
    }
}

bool platformCreateWallpaper(bool) {
    setPlatformError("the wallpaper needs a window system");
    return false;
}

int platformStopWallpaper() {
    setPlatformError("there is no window system to stop a wallpaper on");
    return -1;
}

bool platformAttachWindow(uint64_t windowId) {
    setPlatformError("window 0x%llx cannot be drawn in without a window system",
                  static_cast<unsigned long long>(windowId));
    return false;
}

bool platformCreateEmbeddedWindow(const char*, int, int) {
    setPlatformError("no desktop shell can show a window without a window system");
    return false;
}

void platformShowWindow() {}

void platformDestroyWindow() {
    if (display == EGL_NO_DISPLAY) {
        return;
    }
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    for (const Output& output : getOutputs()) {
        eglDestroySurface(display, output.surface);
    }
    getOutputs().clear();
    if (context != EGL_NO_CONTEXT) {
        eglDestroyContext(display, context);
    }
    eglTerminate(display);
    display = EGL_NO_DISPLAY;
    fullscreenOn = false;
    context = EGL_NO_CONTEXT;
}

const char* platformGetLastError() { return readPlatformError(); }

bool platformPollEvent(PlatformEvent* event) {
    auto& events = getQueuedEvents();
    if (events.empty()) {
        return false;
    }
    *event = events.front();
    events.pop_front();
    return true;
}

// Nothing but the caller can queue an event, so there is nothing to sleep for.
bool platformWaitEvent(PlatformEvent* event) { return platformPollEvent(event); }

bool platformWindowExists() { return display != EGL_NO_DISPLAY; }

// A pbuffer is never minimised or covered.
bool platformIsWindowVisible() { return display != EGL_NO_DISPLAY; }

void platformGetDrawableSize(int* width, int* height) { platformGetOutputSize(0, width, height); }

int platformGetOutputCount() { return static_cast<int>(getOutputs().size()); }

void platformGetOutputSize(int index, int* width, int* height) {
    *width = 0;
    *height = 0;
    if (index >= 0 && index < platformGetOutputCount()) {
        *width = getOutputs()[index].width;
        *height = getOutputs()[index].height;
    }
}

bool platformIsOutputVisible(int index) {
    return index >= 0 && index < platformGetOutputCount() && getOutputs()[index].visible;
}

void platformMakeOutputCurrent(int index) {
    if (index >= 0 && index < platformGetOutputCount()) {
        EGLSurface surface = getOutputs()[index].surface;
        eglMakeCurrent(display, surface, surface, context);
    }
}

void platformPresentOutput(int index) {
    if (index < 0 || index >= platformGetOutputCount()) {
        return;
    }
    HeadlessPresent present = {index, {}, {}};
    glGetIntegerv(GL_VIEWPORT, present.viewport);
    glGetFloatv(GL_PROJECTION_MATRIX, present.projection);
    getPresents().push_back(present);
    eglSwapBuffers(display, getOutputs()[index].surface);
}

const std::vector<HeadlessPresent>& headlessGetPresents() { return getPresents(); }

void headlessClearPresents() { getPresents().clear(); }

// The pbuffer has no display to cover; the request is only remembered.
bool platformSetFullscreen(bool on) {
    if (display == EGL_NO_DISPLAY) {
        setPlatformError("there is no window to make fullscreen");
        return false;
    }
    fullscreenOn = on;
    return true;
}

bool platformIsFullscreen() { return fullscreenOn; }

PlatformPower drivenPower = PLATFORM_POWER_MAINS;

void headlessSetPower(PlatformPower power) { drivenPower = power; }

PlatformPower platformReadPower() { return drivenPower; }

// A pbuffer has no screensaver to hold off.
void platformInhibitScreensaver(bool, const char*) {}

// One pbuffer, one monitor.
int platformChooseMonitor(int) { return 1; }

void platformSwapBuffers() {
    if (display != EGL_NO_DISPLAY) {
        eglSwapBuffers(display, getOutputs()[0].surface);
    }
}

bool platformIsKeyPressed(int virtualKey) {
    if (!checkKeyIndex(virtualKey)) {
        return false;
    }
    bool pressed = heldKeys[virtualKey] || tappedKeys[virtualKey];
    tappedKeys[virtualKey] = false;
    return pressed;
}

int64_t platformReadCounter() {
    if (!realTime) {
        return drivenTicks;
    }
    auto elapsed = std::chrono::steady_clock::now() - realBase;
    return realBaseTicks + std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count();
}

int64_t platformReadCounterFrequency() { return kHeadlessCounterFrequency; }

void platformMessageBox(const char* text, const char* caption) {
    const char* title = caption != nullptr ? caption : "Error";
    getShownMessages().push_back({text, title});
    std::fprintf(stderr, "%s: %s\n", title, text);
}

void headlessSetCounter(int64_t ticks) {
    drivenTicks = ticks;
    if (realTime) {
        realBase = std::chrono::steady_clock::now();
        realBaseTicks = ticks;
    }
}

void headlessAdvanceSeconds(double seconds) {
    headlessSetCounter(platformReadCounter() +
                       static_cast<int64_t>(seconds * static_cast<double>(kHeadlessCounterFrequency)));
}

void headlessUseRealTime(bool on) {
    int64_t now = platformReadCounter();
    realTime = on;
    headlessSetCounter(now);
}

void headlessSetKey(int virtualKey, bool down) {
    if (checkKeyIndex(virtualKey)) {
        heldKeys[virtualKey] = down;
    }
}

void headlessTapKey(int virtualKey) {
    if (checkKeyIndex(virtualKey)) {
        tappedKeys[virtualKey] = true;
    }
}

void headlessReleaseAllKeys() {
    std::memset(heldKeys, 0, sizeof heldKeys);
    std::memset(tappedKeys, 0, sizeof tappedKeys);
}

void headlessPushEvent(const PlatformEvent& event) { getQueuedEvents().push_back(event); }

const std::vector<HeadlessMessage>& headlessGetMessages() { return getShownMessages(); }

void headlessClearMessages() { getShownMessages().clear(); }
