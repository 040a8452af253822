// Marivelle: a real-time 3D aquarium. One window, one frame per pass of the
// event loop, until Escape or a close request. The command line (options.h)
// adds fullscreen, the tour, a frame cap, a frame-rate report, the frame rate
// drawn over the picture, the number of fish, the speed of every motion and
// the screensaver mode, which draws into a window another program gives, and
// the wallpaper, which draws the desktop's background on every monitor.
#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>
#include <string>
#include <thread>

#include "app/clock.h"
#include "app/frame_pacer.h"
#include "app/moment.h"
#include "app/offscreen_frame.h"
#include "app/options.h"
#include "app/pictures.h"
#include "app/power_rate.h"
#include "app/viewport.h"
#include "assets/shader.h"
#include "camera/camera.h"
#include "camera/tour.h"
#include "platform/gl_api.h"
#include "platform/platform.h"
#include "platform/system/gnome_extension.h"
#include "platform/system/plasma_wallpaper.h"
#include "scene/fish.h"
#include "scene/fps_overlay.h"
#include "scene/help_box.h"
#include "scene/frame.h"
#include "scene/requirements.h"
#include "scene/setup.h"

namespace {

constexpr int kExitFailure = -1;
constexpr int kExitUsage = 2;
// --wallpaper --stop when no wallpaper runs, or when it would not end.
constexpr int kExitNotStopped = 1;
// --wallpaper where no wallpaper can be had: a Wayland compositor without
// the layer shell, or no window system at all.
constexpr int kExitNoWallpaper = 1;
// The window system went away while the program ran.
constexpr int kExitLost = kPlatformLostExitStatus;

AppOptions options;
int exitStatus = 0;
// Whether the keyboard drives the view: not in a screensaver or wallpaper.
bool viewerKeys = true;
// F12 was pressed: the next picture shown is also saved.
bool picturePending = false;
// Set by an event that may change the picture; a paused scene draws only then,
// or while the camera flies.
bool redrawWanted = false;
FramePacer pacer;
// A screensaver's or a wallpaper's frame cap on mains, where the power comes
// from now, and the cap the pacer has.
int mainsFps = 0;
PowerWatch power;
int pacedFps = -1;
FrameRateMeter meter;

// Opens what MODE draws into: the program's own window, the window a
// screensaver daemon gives, or the wallpaper's. False after printing why not.
bool openWindow() {
    bool opened = false;
    switch (options.mode) {
    case RunMode::Window:
        opened = platformCreateWindow("Marivelle", 800, 600);
        break;
    case RunMode::Screensaver: {
        uint64_t id = options.windowId;
        const char* named = std::getenv("XSCREENSAVER_WINDOW");
        if (!options.hasWindowId && named != nullptr && named[0] != '\0' && !readWindowId(named, &id)) {
            std::fprintf(stderr, "Marivelle: XSCREENSAVER_WINDOW holds '%s', not a window id\n", named);
            return false;
        }
        opened = platformAttachWindow(id);
        break;
    }
    case RunMode::Wallpaper:
        opened = platformCreateWallpaper(options.bottomLayer);
        break;
    case RunMode::Embedded:
        opened = platformCreateEmbeddedWindow("Marivelle", 800, 600);
        break;
    case RunMode::StopWallpaper:
        break;
    }
    if (!opened) {
        std::fprintf(stderr, "Marivelle: %s\n", platformGetLastError());
    }
    return opened;
}

// A daemon picks the window's visual, and it may have less depth or stencil
// than the frame needs: the water column is cut out with 8 stencil bits.
// Then frames are drawn off-screen with enough of both, where OFFSCREEN
// allows (the wallpaper's windows took the visual the context asked for, and
// several of them share no one frame size). False after printing why the
// frame cannot be drawn right.
bool checkWindowBuffers(bool offscreen) {
    GLint depthBits = 0;
    GLint stencilBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    if (depthBits >= 16 && stencilBits >= 8) {
        return true;
    }
    if (!offscreen || !checkOffscreenFrameSupport()) {
        std::fprintf(stderr, "Marivelle: the window has %d depth and %d stencil bits, the frame needs 16 and 8%s\n",
                     depthBits, stencilBits, offscreen ? ", and the driver cannot draw off-screen" : "");
        return false;
    }
    useOffscreenFrame();
    return true;
}

// Under GNOME Shell and KDE Plasma the wallpaper is the desktop's own: the
// program's shell extension, or its Plasma wallpaper plugin, which start
// the program themselves. --wallpaper turns it on and --wallpaper --stop
// off (ON). True when that is what happened, or failed; STATUS is then the
// exit status. False where neither desktop runs.
bool switchDesktopWallpaper(bool on, int* status) {
    std::string why;
    GnomeSwitch gnome = switchGnomeWallpaper(on, &why);
    PlasmaSwitch plasma = PlasmaSwitch::NoPlasma;
    if (gnome == GnomeSwitch::NoGnomeShell) {
        plasma = switchPlasmaWallpaper(on, &why);
        if (plasma == PlasmaSwitch::NoPlasma) {
            return false;
        }
    }
    if (gnome == GnomeSwitch::Done || plasma == PlasmaSwitch::Done) {
        *status = 0;
        return true;
    }
    std::fprintf(stderr, "Marivelle: %s\n", why.c_str());
    *status = on ? kExitNoWallpaper : kExitNotStopped;
    return true;
}

// --wallpaper --stop: 0 once the running wallpaper has ended.
int stopWallpaper() {
    int status = 0;
    if (switchDesktopWallpaper(false, &status)) {
        return status;
    }
    switch (platformStopWallpaper()) {
    case 1:
        return 0;
    case 0:
        std::fprintf(stderr, "Marivelle: no wallpaper of this program runs on this display\n");
        return kExitNotStopped;
    default:
        std::fprintf(stderr, "Marivelle: %s\n", platformGetLastError());
        return kExitNotStopped;
    }
}

void resizeFrame(int width, int height) {
    followOffscreenFrameSize(width, height);
    resizeViewport(width, height);
}

// Switches between fullscreen and the window; says why on standard error
// when it cannot, and goes on as it was.
void switchFullscreen(bool on) {
    if (!platformSetFullscreen(on)) {
        std::fprintf(stderr, "Marivelle: cannot %s fullscreen: %s\n", on ? "go" : "leave", platformGetLastError());
    }
}

// A window of its own holds the user's screensaver off while it is
// fullscreen, as a video player does, or always with --no-blank; a
// screensaver's window and the wallpaper never do.
void updateScreensaverHold() {
    platformInhibitScreensaver(options.mode == RunMode::Window && (options.noBlank || platformIsFullscreen()),
                               options.noBlank ? "Showing the aquarium (--no-blank)"
                                               : "Showing the aquarium fullscreen");
}

// Reports each kind of GL error once on standard error: a frame should raise
// none, and a demo that silently draws wrong is harder to mend.
void reportGlErrors() {
    static GLenum reported[8];
    static int reportedCount = 0;
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError()) {
        bool known = false;
        for (int i = 0; i < reportedCount; ++i) {
            known |= reported[i] == error;
        }
        // A frame drawn into a window that its owner has just taken away
        // fails for that reason alone; the program ends once it sees.
        if (!known && reportedCount < 8 && platformWindowExists()) {
            reported[reportedCount++] = error;
            std::fprintf(stderr, "Marivelle: OpenGL error 0x%04x during a frame\n", error);
        }
    }
}

// Saves the picture just drawn, as it is about to be shown, in the pictures
// folder and prints where; a folder that cannot take it is said in one line,
// and the program goes on.
void saveShownPicture() {
    picturePending = false;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba = readShownPicture(&width, &height);
    std::time_t now = std::time(nullptr);
    std::tm local = {};
    localtime_r(&now, &local);
    std::string path;
    std::string why;
    if (savePicture(findPicturesFolder(), namePicture(local), width, height, rgba, &path, &why)) {
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "Marivelle: %s\n", why.c_str());
    }
}

// What each output's picture gets after the scene, before it is presented.
void finishOutput() {
    if (options.fpsOverlay && meter.lastRate > 0.0) {
        drawFpsOverlay(meter.lastRate);
    }
    if (helpShown) {
        drawHelpBox();
    }
    if (picturePending) {
        saveShownPicture();
    }
    presentOffscreenFrame();
    reportGlErrors();
}

// For each output that can be seen, draws the scene's next moment on it, at
// the pace the frame cap allows. An output whose compositor has not yet
// asked for the next frame is left out; a moment that reached none is no
// frame.
void drawSeenOutputs() {
    waitForFrameSlot(pacer);
    updateTourOrCamera();
    if (drawMoment(finishOutput) == 0) {
        return;
    }
    double rate = 0.0;
    bool measuring = options.showFps || options.fpsOverlay;
    if (measuring && countFrame(meter, platformReadCounter(), &rate) && options.showFps) {
        std::printf("%.1f fps\n", rate);
        std::fflush(stdout);
    }
}

// In a screensaver or a wallpaper: the frame cap for where the power comes
// from, applied to the pacer when it changes; 0 while nothing is to be drawn.
int choosePacedRate() {
    int fps = choosePowerRate(power, mainsFps, options.batteryFps);
    if (fps != pacedFps && fps > 0) {
        startFramePacer(pacer, fps);
    }
    pacedFps = fps;
    return fps;
}

// True when the keys move the camera now: updates it, as a frame would.
bool checkCameraFlies() {
    Pose before = camera;
    updateTourOrCamera();
    return std::memcmp(&before, &camera, sizeof camera) != 0;
}

// Destroys the window and its context, and with them the GL objects the
// scene made.
void closeWindow() {
    releaseScene();
    platformDestroyWindow();
}

// Handles one event; false once the program should end.
bool handleEvent(const PlatformEvent& event) {
    switch (event.type) {
    case PLATFORM_EVENT_QUIT:
    case PLATFORM_EVENT_CLOSE:
        return false;
    case PLATFORM_EVENT_CHAR:
        if (event.character == ' ' && viewerKeys) {
            setScenePaused(!isScenePaused());
            restartFrameRateMeter(meter);
        }
        if ((event.character == 'h' || event.character == 'H') && viewerKeys) {
            helpShown = !helpShown;
        }
        return event.character != 27;
    case PLATFORM_EVENT_SIZE:
        // Several outputs each get their viewport as they are drawn.
        if (event.output == 0) {
            resizeFrame(event.width, event.height);
        }
        updateScreensaverHold();
        return true;
    case PLATFORM_EVENT_FULLSCREEN_KEY:
        switchFullscreen(!platformIsFullscreen());
        updateScreensaverHold();
        return true;
    case PLATFORM_EVENT_PICTURE_KEY:
        picturePending = viewerKeys;
        return true;
    case PLATFORM_EVENT_HELP_KEY:
        helpShown = viewerKeys && !helpShown;
        return true;
    case PLATFORM_EVENT_DRAG:
    case PLATFORM_EVENT_WHEEL:
        // A screensaver or a wallpaper never reads the mouse.
        if (viewerKeys) {
            takeCameraFromTour();
            if (event.type == PLATFORM_EVENT_DRAG) {
                dragCamera(event.dx, event.dy);
            } else {
                wheelCamera(event.dy);
            }
        }
        return true;
    case PLATFORM_EVENT_LOST:
        std::fprintf(stderr, "Marivelle: %s\n", platformGetLastError());
        exitStatus = kExitLost;
        return false;
    case PLATFORM_EVENT_EXPOSE:
        // Drawn again by the loop, which every event wakes.
        return true;
    }
    return true;
}

// Takes every event that waits; false once the program should end.
bool handleWaitingEvents(bool* handled) {
    PlatformEvent event;
    *handled = false;
    while (platformPollEvent(&event)) {
        *handled = true;
        redrawWanted = true;
        if (!handleEvent(event)) {
            return false;
        }
    }
    return true;
}

// Waits for the window system's next news and handles it; CAME says whether
// any came. False once the program should end.
bool waitForNews(bool* came) {
    PlatformEvent event;
    *came = platformWaitEvent(&event);
    return !*came || handleEvent(event);
}

// The event loop: events first; then, like a window whose paint is never
// validated, a moment on each output that can be seen whenever no event
// waits. With nothing to draw (nobody can see an output, or the paused
// picture would not change) it sleeps until the window system has news; the
// clocks run on, so the first frame after shows the time that passed.
void runLoop() {
    while (true) {
        bool handled = false;
        if (!handleWaitingEvents(&handled)) {
            return;
        }
        if (handled) {
            continue;
        }
        // Paused, the picture changes only when the camera flies or an event
        // asks. The time asleep is no flying time.
        if (isScenePaused() && platformIsWindowVisible() && !redrawWanted && !checkCameraFlies()) {
            bool came = false;
            bool going = waitForNews(&came);
            redrawWanted = redrawWanted || came;
            readAndRestart(cameraClock);
            if (!going) {
                return;
            }
            continue;
        }
        // On battery with --battery-fps 0 nothing is drawn; the power state
        // and the window system are still looked at a few times a second.
        if (!viewerKeys && choosePacedRate() == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
            continue;
        }
        redrawWanted = false;
        if (platformIsWindowVisible()) {
            drawSeenOutputs();
            continue;
        }
        restartFrameRateMeter(meter);
        // Seen again, a paused picture is drawn once more.
        redrawWanted = true;
        bool came = false;
        if (!waitForNews(&came)) {
            return;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string text;
    switch (readCommandLine(argc, argv, &options, &text)) {
    case CommandLine::Done:
        std::fputs(text.c_str(), stdout);
        return 0;
    case CommandLine::Wrong:
        std::fputs(text.c_str(), stderr);
        return kExitUsage;
    case CommandLine::Run:
        break;
    }
    if (options.mode == RunMode::StopWallpaper) {
        return stopWallpaper();
    }
    int switched = 0;
    if (options.mode == RunMode::Wallpaper && switchDesktopWallpaper(true, &switched)) {
        return switched;
    }
    if (options.monitor >= 0) {
        int monitors = platformChooseMonitor(options.monitor);
        if (monitors > 0 && options.monitor >= monitors) {
            std::fprintf(stderr, "Marivelle: there is no monitor %d: this display has %d, numbered from 0\n",
                         options.monitor, monitors);
            return kExitUsage;
        }
    }
    if (!openWindow()) {
        return options.mode == RunMode::Wallpaper ? kExitNoWallpaper : kExitFailure;
    }
    const char* missing = findMissingGlRequirement();
    if (missing != nullptr) {
        std::fprintf(stderr, "Marivelle: %s\n", missing);
        closeWindow();
        return kExitFailure;
    }
    // A screensaver or a wallpaper reads no keys: the tour flies on, at a
    // screensaver's pace unless --max-fps says otherwise.
    viewerKeys = options.mode == RunMode::Window;
    if (!viewerKeys && !checkWindowBuffers(options.mode == RunMode::Screensaver)) {
        closeWindow();
        return kExitFailure;
    }
    setFishCount(options.fish);
    setClockSpeed(options.speed);
    initScene();
    if (options.tour || !viewerKeys) {
        startTour(viewerKeys);
    }
    platformShowWindow();
    if (options.fullscreen) {
        switchFullscreen(true);
    }
    updateScreensaverHold();
    int maxFps = options.maxFps;
    if (!viewerKeys && maxFps == 0) {
        maxFps = kScreensaverFps;
    }
    startFramePacer(pacer, maxFps);
    mainsFps = maxFps;

    int width = 0;
    int height = 0;
    platformGetDrawableSize(&width, &height);
    resizeFrame(width, height);
    drawSeenOutputs();
    runLoop();
    closeWindow();
    return exitStatus;
}
