#pragma once
// The command line. With no arguments the program runs as it always has: a
// window of its own, flown with the keyboard, as fast as frames come.
#include <cstdint>
#include <string>

struct AppOptions {
    bool fullscreen = false;  // --fullscreen: start covering the display
    bool tour = false;        // --tour: the camera flies itself
    int maxFps = 0;           // --max-fps N: at most N frames a second; 0 for no cap
    bool showFps = false;     // --fps: print each second's frame rate on standard output
};

enum class CommandLine {
    Run,    // start with the options read
    Done,   // --help or --version: print `text` on standard output, exit 0
    Wrong,  // bad input: print `text` (one line) on standard error, exit 2
};

constexpr int kMaxFpsLimit = 1000;

// Reads the long options in the GNU style (`--max-fps N` or `--max-fps=N`),
// in order; the first --help, --version or error decides. TEXT receives what
// to print, ending in a newline.
CommandLine readCommandLine(int argc, const char* const* argv, AppOptions* options, std::string* text);
