#pragma once
// The command-line options that the headless tools share.
#include <string>

#include "app/frame_pacer.h"

struct ToolOptions {
    std::string dataDir = ".";
    int width = 800;
    int height = 600;
    int frames = 1;
    std::string pose = "start";
    bool tour = false;  // the camera flies the tour instead of keeping the pose
    int fish = 50;             // as the program's --fish
    double speed = 1.0;        // as the program's --speed
    bool fpsOverlay = false;   // as the program's --show-fps
};

enum class OptionRead { Taken, NotShared, Bad };

// Reads argv[*index] when it is one of --data DIR, --size WxH, --frames N,
// --pose NAME, --tour, --fish N, --speed X or --show-fps, together with its
// value, and leaves *index on the value. NotShared: the argument is the tool's
// own business. Bad: a shared option without a value, a size that is not WxH,
// or a number of fish or a speed the program would refuse.
OptionRead readToolOption(int argc, char** argv, int* index, ToolOptions* options);
// Sets the number of fish for the scene's set-up and the clocks' speed, as
// the program does.
void applySceneOptions(const ToolOptions& options);
// The program's per-frame extra after the scene: counts the frame on METER
// and draws the rate of the latest whole second once there is one.
void drawToolOverlay(const ToolOptions& options, FrameRateMeter& meter);
// Whether the size lies within 1 to 8192 pixels each way.
bool checkToolSize(const ToolOptions& options);
