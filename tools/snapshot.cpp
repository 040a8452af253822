// Renders the scene headless after a simulated time and writes a PNG.
//   snapshot OUT.png [--data DIR] [--size WxH] [--time SECONDS] [--frames N]
//            [--pose start|close|side|top]
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
#include "platform/gl_api.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "scene/frame.h"
#include "scene/setup.h"
#include "tools/camera_poses.h"
#include "tools/headless_context.h"
#include "tools/png_writer.h"
#include "tools/tool_options.h"

namespace {

struct Options : ToolOptions {
    Options() { frames = 60; }
    std::string out;
    double seconds = 2.0;
};

int usage() {
    std::fprintf(stderr,
                 "usage: snapshot OUT.png [--data DIR] [--size WxH] [--time SECONDS] "
                 "[--frames N] [--pose %s]\n",
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
        } else if (!arg.empty() && arg[0] != '-' && options->out.empty()) {
            options->out = arg;
        } else {
            return false;
        }
    }
    return !options->out.empty() && checkToolSize(*options) && options->frames > 0 &&
           options->seconds >= 0.0;
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
    initScene();
    camera = pose;
    resizeViewport(options.width, options.height);
    double step = options.seconds / options.frames;
    for (int i = 0; i < options.frames; ++i) {
        updateCamera();
        renderFrame();
        headlessAdvanceSeconds(step);
    }
    glFinish();
    std::vector<uint8_t> pixels(static_cast<size_t>(options.width) * options.height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, options.width, options.height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    // The frame's alpha is whatever blending left; a picture wants it opaque.
    for (size_t i = 3; i < pixels.size(); i += 4) {
        pixels[i] = 255;
    }
    platformDestroyWindow();
    if (!writePng(options.out, options.width, options.height, pixels)) {
        std::fprintf(stderr, "snapshot: cannot write %s\n", options.out.c_str());
        return 1;
    }
    return 0;
}
