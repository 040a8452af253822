// CPU-side hot paths that need no context, under Google Benchmark. Run from
// the folder holding the data files (make bench does).
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "assets/image.h"
#include "camera/camera.h"
#include "platform/headless/headless.h"
#include "scene/bubbles.h"
#include "scene/fish.h"
#include "scene/scene_state.h"

namespace {

// One camera update with six keys held, 16 ms of driven time each.
void cameraUpdate(benchmark::State& state) {
    const int keys[] = {'W', 'Q', 'A', 'F', KEY_UP_ARROW, KEY_RIGHT_ARROW};
    for (int key : keys) headlessSetKey(key, true);
    for (auto _ : state) {
        headlessAdvanceSeconds(0.016);
        updateCamera();
        benchmark::DoNotOptimize(camera);
    }
    headlessReleaseAllKeys();
}
BENCHMARK(cameraUpdate);

// One bubble step with all 200 bubbles active.
void bubbleStep(benchmark::State& state) {
    scene.tankRadius = 12.8f;
    initBubbles();
    bubbleCount = kMaxBubbles;
    for (auto _ : state) {
        stepBubbles();
        benchmark::DoNotOptimize(bubbles);
    }
}
BENCHMARK(bubbleStep);

// The orbit and orientation of the whole school for one frame.
void fishUpdate(benchmark::State& state) {
    scene.tankRadius = 12.8f;
    scene.tankCentre = {12.76f, 4.9f, 12.76f};
    scene.fishTarget = {12.76f, 4.89f, 12.76f};
    initFishes();
    for (auto _ : state) {
        for (Fish& fish : fishesInUse()) {
            benchmark::DoNotOptimize(stepFish(fish, 0.016f));
        }
    }
}
BENCHMARK(fishUpdate);

void readImage(benchmark::State& state, bool (*read)(const char*, DecodedImage*), const char* name) {
    for (auto _ : state) {
        DecodedImage image;
        if (!read(name, &image)) {
            state.SkipWithError("cannot read the image; run from the data folder");
            return;
        }
        std::free(image.pixels);
    }
}
BENCHMARK_CAPTURE(readImage, sandBmp, readBmpImage, "Sand.bmp");
BENCHMARK_CAPTURE(readImage, bubbleBmp, readBmpImage, "Bubble.bmp");
BENCHMARK_CAPTURE(readImage, causticTga, readTgaImage, "caust00.tga");

} // namespace

BENCHMARK_MAIN();
