#include "tools/tool_options.h"

#include <cstdio>
#include <cstdlib>

#include "app/clock.h"
#include "app/options.h"
#include "platform/platform.h"
#include "scene/fish.h"
#include "scene/fps_overlay.h"

OptionRead readToolOption(int argc, char** argv, int* index, ToolOptions* options) {
    std::string arg = argv[*index];
    if (arg == "--tour" || arg == "--show-fps") {
        options->tour |= arg == "--tour";
        options->fpsOverlay |= arg == "--show-fps";
        return OptionRead::Taken;
    }
    bool shared = arg == "--data" || arg == "--size" || arg == "--frames" || arg == "--pose" || arg == "--fish" ||
                  arg == "--speed";
    if (!shared) {
        return OptionRead::NotShared;
    }
    if (*index + 1 >= argc) {
        return OptionRead::Bad;
    }
    const char* value = argv[++*index];
    if (arg == "--data") {
        options->dataDir = value;
    } else if (arg == "--size") {
        if (std::sscanf(value, "%dx%d", &options->width, &options->height) != 2) {
            return OptionRead::Bad;
        }
    } else if (arg == "--frames") {
        options->frames = std::atoi(value);
    } else if (arg == "--fish") {
        return readFishCount(value, &options->fish) ? OptionRead::Taken : OptionRead::Bad;
    } else if (arg == "--speed") {
        return readSpeed(value, &options->speed) ? OptionRead::Taken : OptionRead::Bad;
    } else {
        options->pose = value;
    }
    return OptionRead::Taken;
}

bool checkToolSize(const ToolOptions& options) {
    return options.width > 0 && options.height > 0 && options.width <= 8192 &&
           options.height <= 8192;
}

void applySceneOptions(const ToolOptions& options) {
    setFishCount(options.fish);
    setClockSpeed(options.speed);
}

void drawToolOverlay(const ToolOptions& options, FrameRateMeter& meter) {
    if (!options.fpsOverlay) {
        return;
    }
    // As the program does: the rate known so far is drawn, then the frame counts.
    if (meter.lastRate > 0.0) {
        drawFpsOverlay(meter.lastRate);
    }
    double rate = 0.0;
    countFrame(meter, platformReadCounter(), &rate);
}
