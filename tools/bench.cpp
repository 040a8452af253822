// Measures the frame on the headless context: the complete frame, the same
// frame with the school drawn one fish at a time and with every vertex sent
// each time (immediate mode; the three timed interleaved), an empty frame
// (clear and finish) as the floor, the time of each pass, and the set-up with
// its split. Every timed frame ends with glFinish,
// so the times are what the rasteriser really spent. Then it runs itself
// again on Mesa's no-op driver, which keeps all the CPU work of handing a
// frame over and drops the drawing, as a machine whose GPU draws pays it;
// --no-noop leaves that run out.
//   bench [--data DIR] [--frames N] [--warmup N] [--size WxH] [--pose NAME] [--tour] [--json]
//         [--fish N] [--speed X] [--show-fps] [--no-noop] [--fish-sweep]
// --fish, --speed and --show-fps act as the program's options do; the drawn
// frame rate is part of the complete frame.
// --fish-sweep times the complete frame and the frame with the school drawn
// one fish at a time for 1 to 30,000 fish instead, each count for up to
// --frames frames or about two seconds a way, whichever comes first.
#include <sys/wait.h>
#include <unistd.h>

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
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "scene/caustics.h"
#include "scene/frame.h"
#include "scene/pass_marks.h"
#include "scene/bubbles.h"
#include "scene/fish.h"
#include "scene/retained.h"
#include "scene/sand.h"
#include "scene/school.h"
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
    bool noop = true;
    bool sweep = false;
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

void immediateFrame() {
    retainedGeometry = false;
    sceneFrame();
    retainedGeometry = true;
}

void oneFishAtATimeFrame() {
    instancedFish = false;
    sceneFrame();
    instancedFish = true;
}

// A way of drawing the frame, and the times of its frames so far.
struct TimedWay {
    void (*frame)();
    std::vector<double> ms;
    double spentMs = 0.0;
};

// Times up to COUNT frames of each way, the ways taking turns in blocks so
// that all see the same state of a busy machine: blocks of ten, or with a
// budget of BUDGET_MS a way, blocks of three, and a way stops once it has
// spent its budget on three frames or more.
void timeWays(std::vector<TimedWay>& ways, int count, double budgetMs = 0.0) {
    for (bool going = true; going;) {
        going = false;
        for (TimedWay& way : ways) {
            int left = count - static_cast<int>(way.ms.size());
            bool spent = budgetMs > 0.0 && way.ms.size() >= 3 && way.spentMs >= budgetMs;
            if (left <= 0 || spent) {
                continue;
            }
            std::vector<double> ms = timeFrames(std::min(left, budgetMs > 0.0 ? 3 : 10), way.frame);
            way.spentMs += std::accumulate(ms.begin(), ms.end(), 0.0);
            way.ms.insert(way.ms.end(), ms.begin(), ms.end());
            going = true;
        }
    }
}

// Runs this program again with the same arguments, as JSON and without a
// no-op run of its own, on the no-op driver; its report, or "" when it fails.
std::string runOnNoopDriver(int argc, char** argv, const std::string& startFolder) {
    int out[2];
    if (pipe(out) != 0) {
        return "";
    }
    pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        setenv("GALLIUM_NOOP", "1", 1);
        // The arguments may name the data folder relative to where we began.
        if (chdir(startFolder.c_str()) != 0) {
            _exit(127);
        }
        std::vector<char*> args(argv, argv + argc);
        args.push_back(const_cast<char*>("--json"));
        args.push_back(const_cast<char*>("--no-noop"));
        args.push_back(nullptr);
        execv("/proc/self/exe", args.data());
        _exit(127);
    }
    close(out[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<size_t>(n));
    }
    close(out[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "";
    }
    while (!report.empty() && (report.back() == '\n' || report.back() == ' ')) {
        report.pop_back();
    }
    return report;
}

// A figure (FIELD: "median_ms", "fps", ...) of the named frame in a JSON
// report, the first after FROM; -1 when absent.
double readFigure(const std::string& report, const char* name, const char* field = "median_ms", size_t from = 0) {
    size_t at = from == std::string::npos ? from : report.find("\"" + std::string(name) + "\": {", from);
    std::string key = "\"" + std::string(field) + "\": ";
    at = at == std::string::npos ? at : report.find(key, at);
    return at == std::string::npos ? -1.0 : std::atof(report.c_str() + at + key.size());
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

std::string statsJson(const FrameStats& s) {
    // Microseconds and below: an empty frame on the no-op driver of a fast machine takes a few.
    char text[200];
    std::snprintf(text, sizeof text, "{\"fps\": %.2f, \"median_ms\": %.6f, \"p99_ms\": %.6f, \"low1_fps\": %.2f}",
                  s.fps, s.medianMs, s.p99Ms, s.low1Fps);
    return text;
}

void printStats(const char* name, const FrameStats& s, bool json, bool last) {
    if (json) {
        std::printf("  \"%s\": %s%s\n", name, statsJson(s).c_str(), last ? "" : ",");
    } else {
        std::printf("%-16s %9.1f fps   median %8.3f ms   p99 %8.3f ms   1%% low %8.1f fps\n", name,
                    s.fps, s.medianMs, s.p99Ms, s.low1Fps);
    }
}

void report(const Options& o, const SetupTimes& setup, const FrameStats& full, const FrameStats& oneByOne,
            const FrameStats& immediate, const FrameStats& empty, double instrumentedMs, const std::string& noop) {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    double passSum = std::accumulate(std::begin(passTotals), std::end(passTotals), 0.0);
    if (o.json) {
        std::printf("{\n  \"cpu\": \"%s\",\n  \"renderer\": \"%s\",\n  \"width\": %d,\n  \"height\": %d,\n"
                    "  \"frames\": %d,\n  \"pose\": \"%s\",\n  \"fish\": %d,\n  \"speed\": %g,\n"
                    "  \"show_fps\": %s,\n  \"instancing\": %s,\n",
                    cpuName().c_str(), renderer, o.width, o.height, o.frames, o.tour ? "tour" : o.pose.c_str(), o.fish,
                    o.speed, o.fpsOverlay ? "true" : "false", checkFishInstancing() ? "true" : "false");
        std::printf("  \"setup_ms\": {\"total\": %.3f, \"caustic_frames\": %.3f, \"height_map\": %.3f, "
                    "\"shaders\": %.3f, \"bmp_textures\": %.3f},\n",
                    setup.totalMs, setup.causticMs, setup.heightMapMs, setup.shadersMs, setup.bmpMs);
        printStats("frame", full, true, false);
        printStats("one_by_one_frame", oneByOne, true, false);
        printStats("immediate_frame", immediate, true, false);
        printStats("empty_frame", empty, true, false);
        std::printf("  \"full_over_empty\": %.3f,\n", full.medianMs / empty.medianMs);
        std::printf("  \"passes_ms\": {");
        for (int p = 0; p < PASS_COUNT; ++p) {
            std::printf("%s\"%s\": %.4f", p ? ", " : "", nameFramePass(static_cast<FramePass>(p)),
                        passTotals[p]);
        }
        std::printf("},\n  \"passes_sum_ms\": %.4f,\n  \"instrumented_frame_ms\": %.4f", passSum, instrumentedMs);
        if (!noop.empty()) {
            std::printf(",\n  \"noop\": %s", noop.c_str());
        }
        std::printf("\n}\n");
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
    printStats("one fish at once", oneByOne, false, false);
    printStats("sent per vertex", immediate, false, false);
    printStats("empty frame", empty, false, false);
    std::printf("complete / empty (median): %.2f\n\n", full.medianMs / empty.medianMs);
    std::printf("pass            mean ms   share\n");
    for (int p = 0; p < PASS_COUNT; ++p) {
        std::printf("%-14s %8.3f  %5.1f %%\n", nameFramePass(static_cast<FramePass>(p)), passTotals[p],
                    100.0 * passTotals[p] / passSum);
    }
    std::printf("%-14s %8.3f  (instrumented frame %.3f ms)\n", "sum", passSum, instrumentedMs);
    if (o.noop) {
        if (noop.empty()) {
            std::printf("\nno-op driver: the run failed\n");
        } else {
            std::printf("\nno-op driver (the CPU's part of a frame): complete frame median %.3f ms, one fish at "
                        "once %.3f ms, sent per vertex %.3f ms\n",
                        readFigure(noop, "frame"), readFigure(noop, "one_by_one_frame"),
                        readFigure(noop, "immediate_frame"));
        }
    }
}

// The counts the browser aquarium benchmark offers, and the default school.
constexpr int kSweepCounts[] = {1, 50, 100, 500, 1000, 5000, 10000, 15000, 20000, 25000, 30000};
constexpr double kSweepBudgetMs = 2000.0;

struct SweepRow {
    int fish;
    FrameStats instanced, oneByOne;
    int instancedFrames, oneByOneFrames;  // how many each way timed
};

// The school of COUNT fish as the program starts with it: the same draws
// from the generator's first state, the bubbles' among them.
void startSchoolOf(int count) {
    setFishCount(count);
    std::srand(1);
    initFishes();
    initBubbles();
    initLaterFishes();
}

std::vector<SweepRow> sweepFishCounts(const Options& o) {
    std::vector<SweepRow> rows;
    for (int count : kSweepCounts) {
        startSchoolOf(count);
        std::vector<TimedWay> ways = {{sceneFrame, {}}, {oneFishAtATimeFrame, {}}};
        // The first frames of a count grow the buffers; a few are enough.
        for (TimedWay& way : ways) {
            timeFrames(std::min(o.warmup, 2), way.frame);
        }
        timeWays(ways, o.frames, kSweepBudgetMs);
        rows.push_back({count, statsOf(ways[0].ms), statsOf(ways[1].ms), static_cast<int>(ways[0].ms.size()),
                        static_cast<int>(ways[1].ms.size())});
    }
    return rows;
}

void reportSweep(const Options& o, const std::vector<SweepRow>& rows, const std::string& noop) {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (o.json) {
        std::printf("{\n  \"cpu\": \"%s\",\n  \"renderer\": \"%s\",\n  \"width\": %d,\n  \"height\": %d,\n"
                    "  \"pose\": \"%s\",\n  \"instancing\": %s,\n  \"sweep\": [\n",
                    cpuName().c_str(), renderer, o.width, o.height, o.tour ? "tour" : o.pose.c_str(),
                    checkFishInstancing() ? "true" : "false");
        for (size_t i = 0; i < rows.size(); ++i) {
            const SweepRow& row = rows[i];
            std::printf("    {\"fish\": %d, \"frames\": [%d, %d], \"frame\": %s, \"one_by_one_frame\": %s}%s\n",
                        row.fish, row.instancedFrames, row.oneByOneFrames, statsJson(row.instanced).c_str(),
                        statsJson(row.oneByOne).c_str(), i + 1 < rows.size() ? "," : "");
        }
        std::printf("  ]%s%s\n}\n", noop.empty() ? "" : ",\n  \"noop\": ", noop.c_str());
        return;
    }
    std::printf("Marivelle fish sweep: %dx%d, pose %s, each count up to %d frames or about %.0f s a way\n", o.width,
                o.height, o.tour ? "tour" : o.pose.c_str(), o.frames, kSweepBudgetMs / 1000.0);
    std::printf("CPU %s; renderer %s; %s\n\n", cpuName().c_str(), renderer,
                checkFishInstancing() ? "the school drawn instanced"
                                      : "no instanced drawing: the school is drawn one fish at a time either way");
    std::printf("         %-40s%s\n", "this driver", o.noop ? "no-op driver (the CPU's part of a frame)" : "");
    std::printf("  fish   %-19s %-19s %s\n", "instanced", "one fish at once",
                o.noop ? "instanced           one fish at once" : "");
    for (const SweepRow& row : rows) {
        std::printf("%6d   %8.3f ms %7.1f/s %8.3f ms %7.1f/s", row.fish, row.instanced.medianMs, row.instanced.fps,
                    row.oneByOne.medianMs, row.oneByOne.fps);
        if (o.noop) {
            size_t at = noop.find("{\"fish\": " + std::to_string(row.fish) + ",");
            std::printf("  %8.3f ms %7.1f/s %8.3f ms %7.1f/s", readFigure(noop, "frame", "median_ms", at),
                        readFigure(noop, "frame", "fps", at), readFigure(noop, "one_by_one_frame", "median_ms", at),
                        readFigure(noop, "one_by_one_frame", "fps", at));
        }
        std::printf("\n");
    }
    if (o.noop && noop.empty()) {
        std::printf("\nno-op driver: the run failed\n");
    }
}

bool parse(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        OptionRead read = readToolOption(argc, argv, &i, o);
        if (read == OptionRead::Bad) return false;
        if (read == OptionRead::Taken) continue;
        std::string arg = argv[i];
        if (arg == "--warmup" && i + 1 < argc) o->warmup = std::atoi(argv[++i]);
        else if (arg == "--json") o->json = true;
        else if (arg == "--no-noop") o->noop = false;
        else if (arg == "--fish-sweep") o->sweep = true;
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
                     "[--fish N] [--speed X] [--show-fps] [--no-noop] [--fish-sweep]\n",
                     cameraPoseNames());
        return 2;
    }
    char* began = getcwd(nullptr, 0);
    std::string startFolder = began != nullptr ? began : ".";
    std::free(began);
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
    if (options.sweep) {
        std::vector<SweepRow> rows = sweepFishCounts(options);
        std::string noop = options.noop ? runOnNoopDriver(argc, argv, startFolder) : "";
        reportSweep(options, rows, noop);
        closeHeadlessContext();
        return options.noop && noop.empty() ? 1 : 0;
    }
    timeFrames(options.warmup, sceneFrame);
    std::vector<TimedWay> ways = {{sceneFrame, {}}, {oneFishAtATimeFrame, {}}, {immediateFrame, {}}};
    timeWays(ways, options.frames);
    FrameStats empty = statsOf(timeFrames(options.frames, emptyFrame));
    double instrumented = measurePasses(std::max(2, options.frames / 2));
    std::string noop = options.noop ? runOnNoopDriver(argc, argv, startFolder) : "";
    report(options, setup, statsOf(ways[0].ms), statsOf(ways[1].ms), statsOf(ways[2].ms), empty, instrumented, noop);
    closeHeadlessContext();
    return options.noop && noop.empty() ? 1 : 0;
}
