#pragma once
// The command line. With no arguments the program runs as it always has: a
// window of its own, flown with the keyboard, as fast as frames come.
#include <cstdint>
#include <string>

// What the program is started to do; the command line decides it once.
enum class RunMode {
    Window,         // a window of its own, flown with the keyboard
    Screensaver,    // --window-id or --root: draw into a window another program gives
    Wallpaper,      // --wallpaper: the desktop's background on every monitor
    StopWallpaper,  // --wallpaper --stop: end the wallpaper that runs, then exit
    Embedded,       // --embedded: a window a desktop shell shows as its background
};

struct AppOptions {
    bool fullscreen = false;  // --fullscreen: start covering the display
    bool tour = false;        // --tour: the camera flies itself
    int maxFps = 0;           // --max-fps N: at most N frames a second; 0 for no cap
    bool showFps = false;     // --fps: print each second's frame rate on standard output
    int fish = 50;            // --fish N: the number of fish, 1 to 30000
    double speed = 1.0;       // --speed X: every motion X times as fast, 0.25 to 4
    bool fpsOverlay = false;  // --show-fps: draw each second's frame rate in a corner
    RunMode mode = RunMode::Window;
    // In screensaver mode: --window-id names the window; without it (--root)
    // the window is $XSCREENSAVER_WINDOW's, or the root window.
    bool hasWindowId = false;
    uint64_t windowId = 0;
    // --layer bottom, with --wallpaper: under the desktop's icons on Wayland
    // rather than on the background layer (KDE Plasma hides that one).
    bool hasLayer = false;
    bool bottomLayer = false;
    bool noBlank = false;  // --no-blank: hold the screensaver off in a window too
    int monitor = -1;      // --display N: the monitor the window starts on; -1 for any
    bool hasBatteryFps = false;
    int batteryFps = 10;   // --battery-fps N: a screensaver's, wallpaper's or embedded rate on battery; 0 stops
};

enum class CommandLine {
    Run,    // start with the options read
    Done,   // --help or --version: print `text` on standard output, exit 0
    Wrong,  // bad input: print `text` (one line) on standard error, exit 2
};

constexpr int kMaxFpsLimit = 1000;
constexpr double kMinSpeed = 0.25;
constexpr double kMaxSpeed = 4.0;
// The frame cap in screensaver and wallpaper mode when --max-fps names none.
constexpr int kScreensaverFps = 30;

// Reads an X window id as the screensaver daemons write it: hexadecimal with
// 0x, or decimal; not 0, at most 32 bits, nothing else around it.
bool readWindowId(const char* text, uint64_t* id);

// Reads a number of fish: a whole number from 1 to the fish table's size
// (30000) in plain decimal digits.
bool readFishCount(const char* text, int* count);
// Reads a speed factor from kMinSpeed to kMaxSpeed in plain decimal notation
// (digits with at most one '.' or ','; no sign, exponent or blanks).
bool readSpeed(const char* text, double* speed);

// Reads the long options in the GNU style (`--max-fps N` or `--max-fps=N`),
// in order; the first --help, --version or error decides. TEXT receives what
// to print, ending in a newline.
CommandLine readCommandLine(int argc, const char* const* argv, AppOptions* options, std::string* text);
