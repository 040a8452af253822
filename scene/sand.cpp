#include "scene/sand.h"

#include <cstdio>

#include "platform/gl_api.h"
#include "platform/platform.h"
#include "scene/scene_state.h"

HeightMap sandHeightMap;

namespace {

constexpr int kCell = 16;
constexpr int kLastCorner = 992;  // the last quad starts here and ends at 1008

void emitCorner(int x, int z, float s, float t, float alpha) {
    int h = readSandHeight(x, z);
    float g = computeSandGrey(h);
    glColor4f(g, g, g, alpha);
    glTexCoord2f(s, t);
    glVertex3i(x, h, z);
}

} // namespace

void loadHeightMap() {
    std::FILE* file = std::fopen("Batman.raw", "rb");
    if (file == nullptr) {
        platformMessageBox("Can't Find The Height Map!", "Error");
        return;
    }
    std::fread(sandHeightMap.samples, 1, sizeof sandHeightMap.samples, file);
    if (std::ferror(file)) {
        platformMessageBox("Failed To Get Data!", "Error");
    }
    std::fclose(file);
}

int readSandHeight(int cornerX, int cornerZ) {
    int row = cornerZ % kHeightMapSize;
    int column = cornerX % kHeightMapSize;
    return sandHeightMap.samples[row * kHeightMapSize + column];
}

float computeSandGrey(int height) { return static_cast<float>(height) / 256.0f - 0.15f; }

void drawSandFloor(float alpha) {
    glDisable(GL_LIGHTING);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, scene.sandTexture);
    glBegin(GL_QUADS);
    for (int x = 0; x <= kLastCorner; x += kCell) {
        for (int z = 0; z <= kLastCorner; z += kCell) {
            emitCorner(x, z, 0.0f, 0.0f, alpha);
            emitCorner(x, z + kCell, 0.0f, 1.0f, alpha);
            emitCorner(x + kCell, z + kCell, 1.0f, 1.0f, alpha);
            emitCorner(x + kCell, z, 1.0f, 0.0f, alpha);
        }
    }
    glEnd();
    glEnable(GL_LIGHTING);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
