// Measures the frame on the headless context: the complete frame, an empty
// frame (clear and finish) as the floor, the time of each pass, and the
// set-up with its split. Every timed frame ends with glFinish, so the times
// are what the rasteriser really spent.
//   bench [--data DIR] [--frames N] [--warmup N] [--size WxH] [--pose NAME] [--tour] [--json]
//         [--fish N] [--speed X] [--show-fps]
// --fish, --speed and --show-fps act as the program's options do; the drawn
// frame rate is part of the complete frame.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "app/viewport.h"
#include "assets/shader.h"
#include "assets/texture.h"
#include "camera/camera.h"
#include "camera/tour.h"
#include "platform/gl_api.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "scene/caustics.h"
#include "scene/frame.h"
#include "scene/pass_marks.h"
#include "scene/sand.h"
#include "scene/setup.h"
#include "tools/camera_poses.h"
#include "tools/headless_context.h"
#include "tools/tool_options.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options : ToolOptions {
    Options() { frames = 300; }
    int warmup = 30;
    bool json = false;
};

struct FrameStats {
    double fps, medianMs, p99Ms, low1Fps;
};

struct SetupTimes {
    double totalMs, causticMs, heightMapMs, shadersMs, bmpMs;
};

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

FrameStats statsOf(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    double total = std::accumulate(ms.begin(), ms.end(), 0.0);
    size_t n = ms.size();
    size_t slowest = std::max<size_t>(1, n / 100);
    double slowTotal = std::accumulate(ms.end() - static_cast<long>(slowest), ms.end(), 0.0);
    size_t p99 = std::min(n - 1, static_cast<size_t>(0.99 * static_cast<double>(n)));
    return {1000.0 * static_cast<double>(n) / total, ms[n / 2], ms[p99],
            1000.0 * static_cast<double>(slowest) / slowTotal};
}

template <class Step>
double timeStep(Step step) {
    auto start = Clock::now();
    step();
    glFinish();
    return millisecondsSince(start);
}

// The set-up as the program runs it, then its heavy steps again one by one.
SetupTimes measureSetup() {
    SetupTimes t{};
    t.totalMs = timeStep(initScene);
    t.causticMs = timeStep(loadCausticTextures);
    t.heightMapMs = timeStep(loadHeightMap);
    t.shadersMs = timeStep(buildScenePrograms);
    useProgram(0);
    t.bmpMs = timeStep([] {
        GLuint names[2];
        glGenTextures(2, names);
        glBindTexture(GL_TEXTURE_2D, names[0]);
        loadBmpTexture("Sand.bmp");
        glBindTexture(GL_TEXTURE_2D, names[1]);
        loadBmpTexture("Bubble.bmp");
        glDeleteTextures(2, names);
    });
    return t;
}

std::vector<double> timeFrames(int count, void (*frame)()) {
    std::vector<double> ms;
    ms.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        auto start = Clock::now();
        frame();
        glFinish();
        ms.push_back(millisecondsSince(start));
    }
    return ms;
}

Options options;
FrameRateMeter meter;

void sceneFrame() {
    updateTourOrCamera();
    renderFrame();
    drawToolOverlay(options, meter);
}

void emptyFrame() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT); }

// Per-pass times: each pass ends with glFinish and a clock reading.
Clock::time_point passStart;
double passTotals[PASS_COUNT];

void observePassEnd(FramePass pass) {
    glFinish();
    auto now = Clock::now();
    passTotals[pass] += std::chrono::duration<double, std::milli>(now - passStart).count();
    passStart = now;
}

double measurePasses(int count) {
    std::fill(std::begin(passTotals), std::end(passTotals), 0.0);
    passEndObserver = observePassEnd;
    auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        updateTourOrCamera();
        glFinish();
        passStart = Clock::now();
        renderFrame();
    }
    double total = millisecondsSince(start);
    passEndObserver = nullptr;
    for (double& t : passTotals) {
        t /= count;
    }
    return total / count;
}

std::string cpuName() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0) {
            return line.substr(line.find(':') + 2);
        }
    }
    return "unknown";
}

void printStats(const char* name, const FrameStats& s, bool json, bool last) {
    if (json) {
        std::printf("  \"%s\": {\"fps\": %.2f, \"median_ms\": %.3f, \"p99_ms\": %.3f, \"low1_fps\": %.2f}%s\n",
                    name, s.fps, s.medianMs, s.p99Ms, s.low1Fps, last ? "" : ",");
    } else {
        std::printf("%-16s %9.1f fps   median %8.3f ms   p99 %8.3f ms   1%% low %8.1f fps\n", name,
                    s.fps, s.medianMs, s.p99Ms, s.low1Fps);
    }
}

void report(const Options& o, const SetupTimes& setup, const FrameStats& full, const FrameStats& empty,
            double instrumentedMs) {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    double passSum = std::accumulate(std::begin(passTotals), std::end(passTotals), 0.0);
    if (o.json) {
        std::printf("{\n  \"cpu\": \"%s\",\n  \"renderer\": \"%s\",\n  \"width\": %d,\n  \"height\": %d,\n"
                    "  \"frames\": %d,\n  \"pose\": \"%s\",\n  \"fish\": %d,\n  \"speed\": %g,\n"
                    "  \"show_fps\": %s,\n",
                    cpuName().c_str(), renderer, o.width, o.height, o.frames, o.tour ? "tour" : o.pose.c_str(), o.fish,
                    o.speed, o.fpsOverlay ? "true" : "false");
        std::printf("  \"setup_ms\": {\"total\": %.3f, \"caustic_frames\": %.3f, \"height_map\": %.3f, "
                    "\"shaders\": %.3f, \"bmp_textures\": %.3f},\n",
                    setup.totalMs, setup.causticMs, setup.heightMapMs, setup.shadersMs, setup.bmpMs);
        printStats("frame", full, true, false);
        printStats("empty_frame", empty, true, false);
        std::printf("  \"full_over_empty\": %.3f,\n", full.medianMs / empty.medianMs);
        std::printf("  \"passes_ms\": {");
        for (int p = 0; p < PASS_COUNT; ++p) {
            std::printf("%s\"%s\": %.4f", p ? ", " : "", nameFramePass(static_cast<FramePass>(p)),
                        passTotals[p]);
        }
        std::printf("},\n  \"passes_sum_ms\": %.4f,\n  \"instrumented_frame_ms\": %.4f\n}\n", passSum,
                    instrumentedMs);
        return;
    }
    std::printf("Marivelle benchmark: %dx%d, %d frames after %d warm-up, pose %s, %d fish, speed %g%s\n", o.width,
                o.height, o.frames, o.warmup, o.tour ? "tour" : o.pose.c_str(), o.fish, o.speed,
                o.fpsOverlay ? ", frame rate drawn" : "");
    std::printf("CPU %s; renderer %s\n\n", cpuName().c_str(), renderer);
    std::printf("set-up %8.1f ms on the first run (each step re-run warm: caustic frames %.1f, height map %.1f, shaders %.1f, "
                "BMP textures %.1f)\n\n",
                setup.totalMs, setup.causticMs, setup.heightMapMs, setup.shadersMs, setup.bmpMs);
    printStats("complete frame", full, false, false);
    printStats("empty frame", empty, false, false);
    std::printf("complete / empty (median): %.2f\n\n", full.medianMs / empty.medianMs);
    std::printf("pass            mean ms   share\n");
    for (int p = 0; p < PASS_COUNT; ++p) {
        std::printf("%-14s %8.3f  %5.1f %%\n", nameFramePass(static_cast<FramePass>(p)), passTotals[p],
                    100.0 * passTotals[p] / passSum);
    }
    std::printf("%-14s %8.3f  (instrumented frame %.3f ms)\n", "sum", passSum, instrumentedMs);
}

bool parse(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        OptionRead read = readToolOption(argc, argv, &i, o);
        if (read == OptionRead::Bad) return false;
        if (read == OptionRead::Taken) continue;
        std::string arg = argv[i];
        if (arg == "--warmup" && i + 1 < argc) o->warmup = std::atoi(argv[++i]);
        else if (arg == "--json") o->json = true;
        else return false;
    }
    return o->frames >= 2 && o->warmup >= 0 && checkToolSize(*o);
}

} // namespace

int main(int argc, char** argv) {
    Pose pose;
    if (!parse(argc, argv, &options) || !findCameraPose(options.pose.c_str(), &pose)) {
        std::fprintf(stderr,
                     "usage: bench [--data DIR] [--frames N] [--warmup N] [--size WxH] [--pose %s] [--tour] [--json] "
                     "[--fish N] [--speed X] [--show-fps]\n",
                     cameraPoseNames());
        return 2;
    }
    if (!openHeadlessContext("bench", options.dataDir, options.width, options.height)) {
        return 1;
    }
    headlessUseRealTime(true);
    applySceneOptions(options);
    SetupTimes setup = measureSetup();
    camera = pose;
    if (options.tour) {
        startTour(false);
    }
    resizeViewport(options.width, options.height);
    timeFrames(options.warmup, sceneFrame);
    FrameStats full = statsOf(timeFrames(options.frames, sceneFrame));
    FrameStats empty = statsOf(timeFrames(options.frames, emptyFrame));
    double instrumented = measurePasses(std::max(2, options.frames / 2));
    report(options, setup, full, empty, instrumented);
    closeHeadlessContext();
    return 0;
}
