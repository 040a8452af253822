#include "scene/sand.h"

#include <cstddef>
#include <cstdio>
#include <vector>

#include "platform/gl_api.h"
#include "platform/platform.h"
#include "scene/retained.h"
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

namespace {

void emitSandQuads(float alpha) {
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
}

// One corner as the buffer holds it: position, colour, texture coordinate.
struct SandVertex {
    float position[3];
    float colour[4];
    float texCoord[2];
};
constexpr int kSandVertexCount = (kLastCorner / kCell + 1) * (kLastCorner / kCell + 1) * 4;

// The opaque floor's corners, in the order emitSandQuads sends them, in a
// buffer of the current context; 0 before the first draw.
GLuint sandBuffer = 0;
// The corner heights it was filled from: the height map is loaded before the
// first frame, but a map changed later is drawn as it is now.
constexpr int kCornersPerSide = kLastCorner / kCell + 2;
uint8_t filledHeights[kCornersPerSide * kCornersPerSide];

bool checkHeightsChanged() {
    bool changed = false;
    for (int i = 0; i < kCornersPerSide; ++i) {
        for (int j = 0; j < kCornersPerSide; ++j) {
            int h = readSandHeight(i * kCell, j * kCell);
            uint8_t& filled = filledHeights[i * kCornersPerSide + j];
            changed |= filled != h;
            filled = static_cast<uint8_t>(h);
        }
    }
    return changed;
}

void fillSandBuffer() {
    std::vector<SandVertex> corners;
    corners.reserve(kSandVertexCount);
    auto corner = [&](int x, int z, float s, float t) {
        int h = readSandHeight(x, z);
        float g = computeSandGrey(h);
        float position[3] = {static_cast<float>(x), static_cast<float>(h), static_cast<float>(z)};
        corners.push_back({{position[0], position[1], position[2]}, {g, g, g, 1.0f}, {s, t}});
    };
    for (int x = 0; x <= kLastCorner; x += kCell) {
        for (int z = 0; z <= kLastCorner; z += kCell) {
            corner(x, z, 0.0f, 0.0f);
            corner(x, z + kCell, 0.0f, 1.0f);
            corner(x + kCell, z + kCell, 1.0f, 1.0f);
            corner(x + kCell, z, 1.0f, 0.0f);
        }
    }
    if (sandBuffer == 0) {
        glGenBuffers(1, &sandBuffer);
    }
    glBindBuffer(GL_ARRAY_BUFFER, sandBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(corners.size() * sizeof(SandVertex)), corners.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

// The quads in one draw. The current colour and texture coordinate are left
// as the last corner leaves them, as sending them corner by corner does.
void drawSandBuffer() {
    if (checkHeightsChanged() || sandBuffer == 0) {
        fillSandBuffer();
    }
    glBindBuffer(GL_ARRAY_BUFFER, sandBuffer);
    glVertexPointer(3, GL_FLOAT, sizeof(SandVertex), reinterpret_cast<void*>(offsetof(SandVertex, position)));
    glColorPointer(4, GL_FLOAT, sizeof(SandVertex), reinterpret_cast<void*>(offsetof(SandVertex, colour)));
    glTexCoordPointer(2, GL_FLOAT, sizeof(SandVertex), reinterpret_cast<void*>(offsetof(SandVertex, texCoord)));
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glDrawArrays(GL_QUADS, 0, kSandVertexCount);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    float last = computeSandGrey(readSandHeight(kLastCorner + kCell, kLastCorner));
    glColor4f(last, last, last, 1.0f);
    glTexCoord2f(1.0f, 0.0f);
}

} // namespace

void drawSandFloor(float alpha) {
    glDisable(GL_LIGHTING);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, scene.sandTexture);
    if (alpha == 1.0f && retainedGeometry) {
        drawSandBuffer();
    } else {
        emitSandQuads(alpha);
    }
    glEnable(GL_LIGHTING);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void releaseSandFloor() {
    if (sandBuffer != 0) {
        glDeleteBuffers(1, &sandBuffer);
        sandBuffer = 0;
    }
}
