#include "tools/tool_options.h"

#include <cstdio>
#include <cstdlib>

OptionRead readToolOption(int argc, char** argv, int* index, ToolOptions* options) {
    std::string arg = argv[*index];
    if (arg == "--tour") {
        options->tour = true;
        return OptionRead::Taken;
    }
    bool shared = arg == "--data" || arg == "--size" || arg == "--frames" || arg == "--pose";
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
    } else {
        options->pose = value;
    }
    return OptionRead::Taken;
}

bool checkToolSize(const ToolOptions& options) {
    return options.width > 0 && options.height > 0 && options.width <= 8192 &&
           options.height <= 8192;
}
