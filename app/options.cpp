#include "app/options.h"

#include <cstring>

#ifndef MARIVELLE_VERSION
#define MARIVELLE_VERSION "unknown"
#endif

namespace {

const char kHelp[] =
    "Usage: marivelle [OPTION]...\n"
    "A real-time 3D aquarium. Fly with W S Q E A D F R and the arrow keys;\n"
    "F11 or Alt+Enter switches fullscreen; Escape quits.\n"
    "\n"
    "  --fullscreen   start covering the display, at the desktop's resolution\n"
    "  --tour         the camera flies itself around the tank until a flying key\n"
    "                 is pressed\n"
    "  --max-fps N    draw at most N frames a second (1 to 1000), sleeping\n"
    "                 between frames\n"
    "  --fps          print the frame rate once a second on standard output\n"
    "  --root         screensaver mode: draw into the window named by\n"
    "                 XSCREENSAVER_WINDOW, or the whole screen, flying the tour\n"
    "                 at 30 frames a second unless --max-fps says otherwise\n"
    "  --window-id ID screensaver mode in the X window ID (0x... or decimal)\n"
    "  --help         show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "The data files are read from the working directory.\n";

CommandLine refuse(std::string* text, const std::string& problem) {
    *text = "Marivelle: " + problem + " (try 'marivelle --help')\n";
    return CommandLine::Wrong;
}

// A whole number from 1 to kMaxFpsLimit written in plain decimal digits;
// anything else (signs, exponents, blanks, overflow) is refused.
bool readFrameRate(const char* value, int* rate) {
    size_t digits = std::strlen(value);
    if (digits == 0 || digits > 4) {
        return false;
    }
    int n = 0;
    for (size_t i = 0; i < digits; ++i) {
        if (value[i] < '0' || value[i] > '9') {
            return false;
        }
        n = n * 10 + (value[i] - '0');
    }
    if (n < 1 || n > kMaxFpsLimit) {
        return false;
    }
    *rate = n;
    return true;
}

} // namespace

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
            name == "--fps" || name == "--root") {
            if (value != nullptr) {
                return refuse(text, "option '" + name + "' takes no value");
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
        } else if (name == "--root") {
            options->root = true;
        } else if (name == "--window-id" || name == "--max-fps") {
            // The value follows as the next argument unless given after '='.
            bool ids = name == "--window-id";
            if (value == nullptr && i + 1 >= argc) {
                return refuse(text, "option '" + name + "' needs " +
                                        (ids ? "a window id" : "a number of frames a second"));
            }
            if (value == nullptr) {
                value = argv[++i];
            }
            bool read = ids ? readWindowId(value, &options->windowId) : readFrameRate(value, &options->maxFps);
            if (!read) {
                return refuse(text, "'" + std::string(value) + "' is not " +
                                        (ids ? "a window id" : "a frame rate from 1 to 1000") + " for '" + name + "'");
            }
            options->hasWindowId |= ids;
        } else if (arg.rfind("-", 0) == 0 && arg.size() > 1) {
            return refuse(text, "unknown option '" + name + "'");
        } else {
            return refuse(text, "unexpected argument '" + arg + "'");
        }
    }
    return CommandLine::Run;
}
