// The seam's functions for the installed program: each goes to the backend
// chosen at start-up. A window of the program's own and a screensaver's
// window are SDL's; the wallpaper is the Wayland backend's where the
// compositor's layer shell can hold it, else the X11 one's.
#include <cstdlib>

#include "platform/backend.h"
#include "platform/desktop_choice.h"
#include "platform/platform.h"
#include "platform/system/counter.h"
#include "platform/system/last_error.h"
#include "platform/system/power.h"

namespace {

const PlatformBackend* active = &sdlPlatform;

// Picks the wallpaper's backend; false, with the reason recorded, when none
// can draw it.
bool chooseForWallpaper() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    WallpaperSystem system = chooseWallpaperSystem(wayland, std::getenv("DISPLAY"), probeWaylandSession);
    switch (system) {
    case WallpaperSystem::Wayland:
        active = &wlPlatform;
        return true;
    case WallpaperSystem::X11:
        active = &x11WallpaperPlatform;
        return true;
    case WallpaperSystem::LayerShellMissing:
    case WallpaperSystem::None:
        setPlatformError("%s", describeMissingWallpaperSystem(system, wayland));
        return false;
    }
    return false;
}

} // namespace

bool platformCreateWindow(const char* title, int width, int height) { return active->createWindow(title, width, height); }
bool platformAttachWindow(uint64_t windowId) { return active->attachWindow(windowId); }
bool platformCreateEmbeddedWindow(const char* title, int width, int height) {
    return active->createEmbeddedWindow(title, width, height);
}
bool platformCreateWallpaper(bool bottomLayer) {
    return chooseForWallpaper() && active->createWallpaper(bottomLayer);
}

int platformStopWallpaper() {
    if (!chooseForWallpaper()) {
        return -1;
    }
    return active->stopWallpaper();
}

void platformShowWindow() { active->showWindow(); }
void platformDestroyWindow() { active->destroyWindow(); }
const char* platformGetLastError() { return readPlatformError(); }
bool platformPollEvent(PlatformEvent* event) { return active->pollEvent(event); }
bool platformWaitEvent(PlatformEvent* event) { return active->waitEvent(event); }
bool platformIsWindowVisible() { return active->isWindowVisible(); }
void platformGetDrawableSize(int* width, int* height) { active->getDrawableSize(width, height); }
bool platformSetFullscreen(bool on) { return active->setFullscreen(on); }
bool platformIsFullscreen() { return active->isFullscreen(); }
void platformInhibitScreensaver(bool on, const char* reason) { active->inhibitScreensaver(on, reason); }
int platformChooseMonitor(int index) { return active->chooseMonitor(index); }
bool platformWindowExists() { return active->windowExists(); }
void platformSwapBuffers() { active->swapBuffers(); }
int platformGetOutputCount() { return active->getOutputCount(); }
void platformGetOutputSize(int index, int* width, int* height) { active->getOutputSize(index, width, height); }
bool platformIsOutputVisible(int index) { return active->isOutputVisible(index); }
void platformMakeOutputCurrent(int index) { active->makeOutputCurrent(index); }
void platformPresentOutput(int index) { active->presentOutput(index); }
bool platformIsKeyPressed(int virtualKey) { return active->isKeyPressed(virtualKey); }
PlatformPower platformReadPower() { return readSystemPower(); }
int64_t platformReadCounter() { return readMonotonicCounter(); }
int64_t platformReadCounterFrequency() { return kCounterFrequency; }
void platformMessageBox(const char* text, const char* caption) { active->messageBox(text, caption); }
