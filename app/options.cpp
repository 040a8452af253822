#include "app/options.h"

#include <cstring>

#include "scene/fish.h"

#ifndef MARIVELLE_VERSION
#define MARIVELLE_VERSION "unknown"
#endif

namespace {

const char kHelp[] =
    "Usage: marivelle [OPTION]...\n"
    "A real-time 3D aquarium. Fly with W S Q E A D F R and the arrow keys, or\n"
    "drag with a mouse button held to turn and use the wheel to fly. Space\n"
    "pauses and resumes; F1 or H shows the keys; F12 saves the picture in the\n"
    "pictures folder; F11 or Alt+Enter switches fullscreen; Escape quits. In\n"
    "fullscreen the screensaver waits; in a window it runs as usual.\n"
    "\n"
    "  --fullscreen   start covering the display, at the desktop's resolution\n"
    "  --tour         the camera flies itself around the tank until a flying key\n"
    "                 is pressed\n"
    "  --max-fps N    draw at most N frames a second (1 to 1000), sleeping\n"
    "                 between frames\n"
    "  --fps          print the frame rate once a second on standard output\n"
    "  --show-fps     draw the frame rate of the last second in the picture's\n"
    "                 top left corner\n"
    "  --fish N       N fish in the tank (1 to 30000; 50 without the option)\n"
    "  --speed X      every motion X times as fast (0.25 to 4; 1 without the\n"
    "                 option), the tour and the flying keys included\n"
    "  --root         screensaver mode: draw into the window named by\n"
    "                 XSCREENSAVER_WINDOW, or the whole screen, flying the tour\n"
    "                 at 30 frames a second unless --max-fps says otherwise\n"
    "  --window-id ID screensaver mode in the X window ID (0x... or decimal)\n"
    "  --wallpaper    draw the aquarium as the desktop's background on every\n"
    "                 monitor, flying the tour at 30 frames a second unless\n"
    "                 --max-fps says otherwise; it replaces a wallpaper of this\n"
    "                 program that already runs on the display\n"
    "  --stop         with --wallpaper: end the wallpaper that runs and exit\n"
    "  --battery-fps N\n"
    "                 with --root, --window-id, --wallpaper or --embedded: at\n"
    "                 most N frames a second while the machine runs on battery\n"
    "                 (0 to 1000; 10 without the option; 0 draws nothing until\n"
    "                 mains returns)\n"
    "  --layer L      with --wallpaper on Wayland: draw on the 'background' layer\n"
    "                 (without the option) or on the 'bottom' one, as KDE Plasma\n"
    "                 needs\n"
    "  --display N    open the window on monitor N (0 is the first); fullscreen\n"
    "                 then covers that monitor\n"
    "  --no-blank     keep the screensaver from blanking the screen while the\n"
    "                 window is open, as it does in fullscreen (for a kiosk)\n"
    "  --embedded     for the desktop's own wallpaper extension, which starts it:\n"
    "                 a window the desktop shows as its background, flying the\n"
    "                 tour at 30 frames a second unless --max-fps says otherwise\n"
    "  --help         show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "The data files are read from the working directory.\n";

CommandLine refuse(std::string* text, const std::string& problem) {
    *text = "Marivelle: " + problem + " (try 'marivelle --help')\n";
    return CommandLine::Wrong;
}

// A whole number from LOW to HIGH written in plain decimal digits, at most
// five of them; anything else (signs, exponents, blanks, overflow) is refused.
bool readWholeNumber(const char* value, int low, int high, int* number) {
    size_t digits = std::strlen(value);
    // Five digits hold every limit here (the largest is 30000) and cannot
    // overflow.
    if (digits == 0 || digits > 5) {
        return false;
    }
    int n = 0;
    for (size_t i = 0; i < digits; ++i) {
        if (value[i] < '0' || value[i] > '9') {
            return false;
        }
        n = n * 10 + (value[i] - '0');
    }
    if (n < low || n > high) {
        return false;
    }
    *number = n;
    return true;
}

// The options that take a value: how the value is read into the options, and
// what it is, for the one line that refuses a missing or bad one.
struct ValueOption {
    const char* name;
    const char* needs;  // "needs ..."
    const char* isNot;  // "'VALUE' is not ..."
    bool (*read)(const char* value, AppOptions* options);
};

const ValueOption kValueOptions[] = {
    {"--window-id", "a window id", "a window id",
     [](const char* value, AppOptions* o) { return o->hasWindowId = readWindowId(value, &o->windowId); }},
    {"--max-fps", "a number of frames a second", "a frame rate from 1 to 1000",
     [](const char* value, AppOptions* o) { return readWholeNumber(value, 1, kMaxFpsLimit, &o->maxFps); }},
    {"--fish", "a number of fish", "a number of fish from 1 to 30000",
     [](const char* value, AppOptions* o) { return readFishCount(value, &o->fish); }},
    {"--speed", "a speed factor", "a speed factor from 0.25 to 4",
     [](const char* value, AppOptions* o) { return readSpeed(value, &o->speed); }},
    {"--battery-fps", "a number of frames a second", "a frame rate from 0 to 1000",
     [](const char* value, AppOptions* o) {
         o->hasBatteryFps = true;
         return readWholeNumber(value, 0, kMaxFpsLimit, &o->batteryFps);
     }},
    {"--display", "a monitor number", "a monitor number (0 is the first)",
     [](const char* value, AppOptions* o) { return readWholeNumber(value, 0, 9999, &o->monitor); }},
    {"--layer", "a layer", "'background' or 'bottom'",
     [](const char* value, AppOptions* o) {
         o->hasLayer = true;
         o->bottomLayer = std::strcmp(value, "bottom") == 0;
         return o->bottomLayer || std::strcmp(value, "background") == 0;
     }},
};

} // namespace

bool readFishCount(const char* text, int* count) { return readWholeNumber(text, 1, kMaxFish, count); }

bool readSpeed(const char* text, double* speed) {
    // The screensaver settings write the slider's value with the user's
    // decimal separator, which may be a comma.
    double whole = 0.0;
    double fraction = 0.0;
    double scale = 1.0;
    bool point = false;
    int digits = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if ((*c == '.' || *c == ',') && !point) {
            point = true;
        } else if (*c >= '0' && *c <= '9' && digits < 12) {
            ++digits;
            if (point) {
                scale *= 10.0;
                fraction = fraction * 10.0 + (*c - '0');
            } else {
                whole = whole * 10.0 + (*c - '0');
            }
        } else {
            return false;
        }
    }
    double value = whole + fraction / scale;
    if (digits == 0 || value < kMinSpeed || value > kMaxSpeed) {
        return false;
    }
    *speed = value;
    return true;
}

bool readWindowId(const char* text, uint64_t* id) {
    bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = hex ? text + 2 : text;
    if (digits[0] == '\0') {
        return false;
    }
    uint64_t value = 0;
    for (const char* c = digits; *c != '\0'; ++c) {
        int digit = -1;
        if (*c >= '0' && *c <= '9') {
            digit = *c - '0';
        } else if (hex && *c >= 'a' && *c <= 'f') {
            digit = *c - 'a' + 10;
        } else if (hex && *c >= 'A' && *c <= 'F') {
            digit = *c - 'A' + 10;
        }
        if (digit < 0) {
            return false;
        }
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (value > 0xffffffffu) {
            return false;
        }
    }
    if (value == 0) {
        return false;
    }
    *id = value;
    return true;
}

CommandLine readCommandLine(int argc, const char* const* argv, AppOptions* options, std::string* text) {
    *options = AppOptions{};
    text->clear();
    // The flags that together make the mode.
    bool root = false;
    bool wallpaper = false;
    bool stop = false;
    bool embedded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string name = arg;
        const char* value = nullptr;
        size_t equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = argv[i] + equals + 1;
        }
        if (name == "--help" || name == "--version" || name == "--fullscreen" || name == "--tour" ||
            name == "--fps" || name == "--show-fps" || name == "--root" || name == "--wallpaper" ||
            name == "--stop" || name == "--no-blank" || name == "--embedded") {
            if (value != nullptr) {
                return refuse(text, "option '" + name + "' takes no value");
            }
        }
        const ValueOption* valued = nullptr;
        for (const ValueOption& option : kValueOptions) {
            if (name == option.name) {
                valued = &option;
            }
        }
        if (name == "--help") {
            *text = kHelp;
            return CommandLine::Done;
        }
        if (name == "--version") {
            *text = "marivelle " MARIVELLE_VERSION "\n";
            return CommandLine::Done;
        }
        if (name == "--fullscreen") {
            options->fullscreen = true;
        } else if (name == "--tour") {
            options->tour = true;
        } else if (name == "--fps") {
            options->showFps = true;
        } else if (name == "--show-fps") {
            options->fpsOverlay = true;
        } else if (name == "--root") {
            root = true;
        } else if (name == "--wallpaper") {
            wallpaper = true;
        } else if (name == "--stop") {
            stop = true;
        } else if (name == "--embedded") {
            embedded = true;
        } else if (name == "--no-blank") {
            options->noBlank = true;
        } else if (valued != nullptr) {
            // The value follows as the next argument unless given after '='.
            if (value == nullptr && i + 1 >= argc) {
                return refuse(text, "option '" + name + "' needs " + valued->needs);
            }
            if (value == nullptr) {
                value = argv[++i];
            }
            if (!valued->read(value, options)) {
                return refuse(text, "'" + std::string(value) + "' is not " + valued->isNot + " for '" + name + "'");
            }
        } else if (arg.rfind("-", 0) == 0 && arg.size() > 1) {
            return refuse(text, "unknown option '" + name + "'");
        } else {
            return refuse(text, "unexpected argument '" + arg + "'");
        }
    }
    bool screensaver = root || options->hasWindowId;
    if (stop && !wallpaper) {
        return refuse(text, "'--stop' ends a wallpaper: give it with '--wallpaper'");
    }
    if (options->hasLayer && !wallpaper) {
        return refuse(text, "'--layer' places a wallpaper: give it with '--wallpaper'");
    }
    if (options->hasBatteryFps && !wallpaper && !screensaver && !embedded) {
        return refuse(text, "'--battery-fps' paces a screensaver or a wallpaper: give it with '--root', "
                            "'--window-id' or '--wallpaper'");
    }
    // Only the program's own window is placed, or holds the screensaver off.
    const char* notOwn = embedded ? "--embedded" : wallpaper ? "--wallpaper" : root ? "--root"
                         : options->hasWindowId ? "--window-id" : nullptr;
    const char* ownOnly = options->monitor >= 0 ? "--display" : options->noBlank ? "--no-blank" : nullptr;
    if (notOwn != nullptr && ownOnly != nullptr) {
        return refuse(text, std::string("'") + ownOnly + "' is for the program's own window, not '" + notOwn + "'");
    }
    // The wallpaper makes windows of its own, one per monitor, under all others.
    const char* clash = root ? "--root" : options->hasWindowId ? "--window-id"
                                        : options->fullscreen ? "--fullscreen" : nullptr;
    if (wallpaper && clash != nullptr) {
        return refuse(text, std::string("'--wallpaper' cannot be combined with '") + clash + "'");
    }
    // The desktop shell places the embedded window and shows it as it likes.
    const char* shellClash = wallpaper ? "--wallpaper" : root ? "--root" : options->hasWindowId ? "--window-id"
                             : options->fullscreen ? "--fullscreen" : nullptr;
    if (embedded && shellClash != nullptr) {
        return refuse(text, std::string("'--embedded' cannot be combined with '") + shellClash + "'");
    }
    if (embedded) {
        options->mode = RunMode::Embedded;
    } else if (wallpaper) {
        options->mode = stop ? RunMode::StopWallpaper : RunMode::Wallpaper;
    } else if (screensaver) {
        options->mode = RunMode::Screensaver;
    }
    return CommandLine::Run;
}
