#pragma once
// The command-line options that the headless tools share.
#include <string>

struct ToolOptions {
    std::string dataDir = ".";
    int width = 800;
    int height = 600;
    int frames = 1;
    std::string pose = "start";
    bool tour = false;  // the camera flies the tour instead of keeping the pose
};

enum class OptionRead { Taken, NotShared, Bad };

// Reads argv[*index] when it is one of --data DIR, --size WxH, --frames N,
// --pose NAME or --tour, together with its value, and leaves *index on the value.
// NotShared: the argument is the tool's own business. Bad: a shared option
// without a value, or a size that is not WxH.
OptionRead readToolOption(int argc, char** argv, int* index, ToolOptions* options);
// Whether the size lies within 1 to 8192 pixels each way.
bool checkToolSize(const ToolOptions& options);
