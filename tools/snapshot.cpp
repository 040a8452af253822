// Renders the scene headless after a simulated time and writes a PNG.
//   snapshot OUT.png [--data DIR] [--size WxH] [--time SECONDS] [--frames N]
//            [--pose start|close|side|top] [--tour] [--every K]
//            [--fish N] [--speed X] [--show-fps]
// With --every K it writes every K-th frame instead, as OUT-000.png,
// OUT-001.png, ... (OUT without its .png), the frames of an animation.
// With --tour the camera flies the tour from its start instead of keeping the
// pose, so --time T shows the tour T seconds in.
// --fish, --speed and --show-fps act as the program's options do.
// Every clock is driven by a fixed step of time / frames, so the same inputs
// give the same pixels on the same machine.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/viewport.h"
#include "camera/camera.h"
#include "camera/tour.h"
#include "platform/gl_api.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "scene/frame.h"
#include "scene/setup.h"
#include "tools/camera_poses.h"
#include "tools/headless_context.h"
#include "assets/png_writer.h"
#include "tools/tool_options.h"

namespace {

struct Options : ToolOptions {
    Options() { frames = 60; }
    std::string out;
    double seconds = 2.0;
    int every = 0;  // 0: only the last frame
};

int usage() {
    std::fprintf(stderr,
                 "usage: snapshot OUT.png [--data DIR] [--size WxH] [--time SECONDS] "
                 "[--frames N] [--pose %s] [--tour] [--every K] [--fish N] [--speed X] [--show-fps]\n",
                 cameraPoseNames());
    return 2;
}

bool parse(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        OptionRead read = readToolOption(argc, argv, &i, options);
        if (read == OptionRead::Bad) return false;
        if (read == OptionRead::Taken) continue;
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--time" && hasValue) {
            options->seconds = std::atof(argv[++i]);
        } else if (arg == "--every" && hasValue) {
            options->every = std::atoi(argv[++i]);
        } else if (!arg.empty() && arg[0] != '-' && options->out.empty()) {
            options->out = arg;
        } else {
            return false;
        }
    }
    return !options->out.empty() && checkToolSize(*options) && options->frames > 0 &&
           options->seconds >= 0.0 && options->every >= 0;
}

// Reads back the finished frame as opaque RGBA, bottom row first (GL's order,
// which the PNG writer takes).
std::vector<uint8_t> readFrame(int width, int height) {
    glFinish();
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    // The frame's alpha is whatever blending left; a picture wants it opaque.
    for (size_t i = 3; i < pixels.size(); i += 4) {
        pixels[i] = 255;
    }
    return pixels;
}

// "dir/anim.png" and 7 give "dir/anim-007.png".
std::string sequenceName(const std::string& out, int index) {
    std::string stem = out;
    if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".png") == 0) {
        stem.resize(stem.size() - 4);
    }
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "-%03d.png", index);
    return stem + suffix;
}

bool writeOrReport(const std::string& path, int width, int height, const std::vector<uint8_t>& pixels) {
    std::string why;
    if (writePngFile(path, width, height, pixels, &why)) {
        return true;
    }
    std::fprintf(stderr, "snapshot: cannot write %s: %s\n", path.c_str(), why.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, &options)) {
        return usage();
    }
    Pose pose;
    if (!findCameraPose(options.pose.c_str(), &pose)) {
        return usage();
    }
    // The output is named relative to where the tool was started.
    options.out = std::filesystem::absolute(options.out).string();
    if (!openHeadlessContext("snapshot", options.dataDir, options.width, options.height)) {
        return 1;
    }
    applySceneOptions(options);
    initScene();
    camera = pose;
    if (options.tour) {
        startTour(false);
    }
    resizeViewport(options.width, options.height);
    double step = options.seconds / options.frames;
    FrameRateMeter meter;
    for (int i = 0; i < options.frames; ++i) {
        updateTourOrCamera();
        renderFrame();
        drawToolOverlay(options, meter);
        if (options.every > 0 && i % options.every == 0 &&
            !writeOrReport(sequenceName(options.out, i / options.every), options.width, options.height,
                           readFrame(options.width, options.height))) {
            return 1;
        }
        headlessAdvanceSeconds(step);
    }
    std::vector<uint8_t> pixels;
    if (options.every == 0) {
        pixels = readFrame(options.width, options.height);
    }
    closeHeadlessContext();
    if (options.every == 0 && !writeOrReport(options.out, options.width, options.height, pixels)) {
        return 1;
    }
    return 0;
}
