#include "scene/water.h"

#include "assets/shader.h"
#include "platform/gl_api.h"
#include "scene/frame.h"
#include "scene/retained.h"
#include "scene/scene_state.h"

Vec3 waterMesh[kWaterGridSize * kWaterGridSize];
float waterPhase = 0.0f;
ElapsedClock waterClock;

namespace {

// What the last frame that stepped sent, for a repeated moment to send again.
float shownPhase = 0.0f;
float shownTime = 0.0f;
// The part of a speed-1 pair's step the speed has asked for but not yet taken.
double phaseCredit = 0.0;

void emitSurface() {
    walkWaterStrips(
        [] {
            glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
            glBegin(GL_TRIANGLE_STRIP);
        },
        [](const Vec3& v) { glVertex3f(v.x, v.y, v.z); }, [] {},
        [] {
            glEnd();
            glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        });
}
// The mesh never changes once set up, which happens before the first frame:
// the waves are the program's.
RetainedShape surfaceShape = {emitSurface, 0};

} // namespace

void initWaterMesh() {
    for (int i = 0; i < kWaterGridSize; ++i) {
        for (int j = 0; j < kWaterGridSize; ++j) {
            waterMesh[kWaterGridSize * i + j] = {static_cast<float>(32 - i), 0.0f,
                                                 static_cast<float>(32 - j)};
        }
    }
}

float computeWaterTime(double seconds) {
    return static_cast<float>(reduceByPeriod(seconds, kWaterTimePeriod));
}

void advanceWaterPhase() {
    // Whole speed-1 steps, not one step times the speed: the phase then runs
    // through the values speed 1 gives it, rounded alike, only faster.
    phaseCredit += getClockSpeed();
    for (; phaseCredit >= 1.0; phaseCredit -= 1.0) {
        waterPhase += kWaterPhaseStep;
        if (waterPhase > kWaterPhaseLimit) {
            waterPhase = 0.0f;
        }
    }
}

void drawWaterSurface() {
    if (!repeatingMoment) {
        startElapsedClock(waterClock);
        shownTime = computeWaterTime(readElapsed(waterClock));
        shownPhase = waterPhase;
    }
    useProgram(scene.waterProgram);
    uploadUniform3f(scene.waveLocation, shownPhase, 1.0f, 1.0f);
    uploadUniform1f(scene.timeLocation, shownTime);
    drawShape(surfaceShape);
    // The uniforms are sent before the strips, so the phase each pair steps
    // is the next frame's, however the strips reach the driver.
    if (!repeatingMoment) {
        walkWaterStrips([] {}, [](const Vec3&) {}, advanceWaterPhase, [] {});
    }
    useProgram(0);
}
