#include "scene/water.h"

#include "assets/shader.h"
#include "platform/gl_api.h"
#include "scene/scene_state.h"

Vec3 waterMesh[kWaterGridSize * kWaterGridSize];
float waterPhase = 0.0f;
ElapsedClock waterClock;

void initWaterMesh() {
    for (int i = 0; i < kWaterGridSize; ++i) {
        for (int j = 0; j < kWaterGridSize; ++j) {
            waterMesh[kWaterGridSize * i + j] = {static_cast<float>(32 - i), 0.0f,
                                                 static_cast<float>(32 - j)};
        }
    }
}

void advanceWaterPhase() {
    waterPhase += kWaterPhaseStep;
    if (waterPhase > kWaterPhaseLimit) {
        waterPhase = 0.0f;
    }
}

void drawWaterSurface() {
    startElapsedClock(waterClock);
    float t = readElapsed(waterClock);
    useProgram(waterProgram);
    uploadUniform3f(waveLocation, waterPhase, 1.0f, 1.0f);
    uploadUniform1f(timeLocation, t);
    // Column 63 is never emitted: each strip pairs columns 0 to 62.
    for (int i = 0; i < kWaterGridSize - 1; ++i) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glBegin(GL_TRIANGLE_STRIP);
        for (int j = 0; j < kWaterGridSize - 1; ++j) {
            const Vec3& a = waterMesh[kWaterGridSize * i + j];
            const Vec3& b = waterMesh[kWaterGridSize * (i + 1) + j];
            glVertex3f(a.x, a.y, a.z);
            glVertex3f(b.x, b.y, b.z);
            advanceWaterPhase();
        }
        glEnd();
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
    useProgram(0);
}
