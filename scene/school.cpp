#include "scene/school.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "assets/shader.h"
#include "platform/gl_api.h"
#include "scene/fish.h"
#include "scene/fish_mesh.h"
#include "scene/frame.h"
#include "scene/palette.h"
#include "scene/retained.h"
#include "scene/scene_state.h"

bool instancedFish = true;

namespace {

// Attribute locations, bound by name when the programs link.
enum Attribute : GLuint {
    ATTRIBUTE_POSITION,
    ATTRIBUTE_NORMAL,
    ATTRIBUTE_ACROSS,
    ATTRIBUTE_MODEL_ROW0,
    ATTRIBUTE_MODEL_ROW1,
    ATTRIBUTE_MODEL_ROW2,
    ATTRIBUTE_COLOUR_TYPE,
    ATTRIBUTE_COUNT
};
const char* const kAttributeNames[] = {"position",  "normal",    "across",     "modelRow0",
                                       "modelRow1", "modelRow2", "colourType", nullptr};

// One fish's data: its matrix's three rows, then its colour type.
constexpr int kInstanceFloats = 13;

struct Piece {
    size_t firstIndexBytes;
    GLsizei indexCount;
};

// What the current context holds for the school; all zero before the first
// instanced draw and after releaseSchoolInstances.
struct SchoolObjects {
    bool tried;  // set-up attempted in this context; ready tells how it went
    bool ready;
    bool arbEntryPoints;  // the extensions' entry points rather than 3.3's
    GLhandleARB bodyProgram;
    GLhandleARB finProgram;
    GLint bodyColoursLocation;
    GLint finColoursLocation;
    GLuint meshBuffer;
    GLuint indexBuffer;
    GLuint instanceBuffer;
    Piece body, eyes, tail;
    float leftNormal[3];    // what one fish at a time leaves current
    float leftTexCoord[2];
    int uploadedCount;  // fishCount when the instance buffer was filled; -1 when stale
    int shownCount;     // the instances in it
};
SchoolObjects objects;

std::vector<float> instanceData;
// Open addressing over the instances written this frame, by their matrix:
// 0 for an empty slot, else the instance's number plus one.
std::vector<uint32_t> instanceSlots;
float bodyColourTable[28];
float tailColourTable[28];
float eyeColourTable[28];

void fillColourTables() {
    for (int type = 0; type < 7; ++type) {
        for (int c = 0; c < 4; ++c) {
            bodyColourTable[4 * type + c] = fishBodyColours[type][c];
            tailColourTable[4 * type + c] = fishTailColours[type][c];
            eyeColourTable[4 * type + c] = palette.paletteBlack[c];
        }
    }
}

// Puts the three pieces into one vertex and one index buffer; each piece's
// indices count from the start of the shared vertices.
void uploadMeshes() {
    FishMesh pieces[3] = {buildFishBodyMesh(), buildFishEyesMesh(), buildFishTailMesh()};
    Piece* placed[3] = {&objects.body, &objects.eyes, &objects.tail};
    std::vector<FishMeshVertex> vertices;
    std::vector<uint16_t> indices;
    for (int p = 0; p < 3; ++p) {
        size_t base = vertices.size();
        placed[p]->firstIndexBytes = indices.size() * sizeof(uint16_t);
        placed[p]->indexCount = static_cast<GLsizei>(pieces[p].indices.size());
        vertices.insert(vertices.end(), pieces[p].vertices.begin(), pieces[p].vertices.end());
        for (uint16_t index : pieces[p].indices) {
            indices.push_back(static_cast<uint16_t>(index + base));
        }
    }
    glGenBuffers(1, &objects.meshBuffer);
    glGenBuffers(1, &objects.indexBuffer);
    glGenBuffers(1, &objects.instanceBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, objects.meshBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(FishMeshVertex)),
                 vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, objects.indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint16_t)),
                 indices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

// Builds what this context needs, once; true when the school can be drawn
// instanced.
bool prepare() {
    if (objects.tried) {
        return objects.ready;
    }
    objects.tried = true;
    objects.uploadedCount = -1;
    if (!checkFishInstancing()) {
        return false;
    }
    objects.arbEntryPoints = epoxy_gl_version() < 33;
    objects.bodyProgram = buildShaderProgram("school.vp", "school.fp", kAttributeNames);
    objects.finProgram = buildShaderProgram("school_fin.vp", "school_fin.fp", kAttributeNames);
    objects.bodyColoursLocation = findUniformLocation(objects.bodyProgram, "colours");
    objects.finColoursLocation = findUniformLocation(objects.finProgram, "colours");
    if (objects.bodyColoursLocation == -1 || objects.finColoursLocation == -1) {
        return false;
    }
    fillColourTables();
    uploadMeshes();
    findFishLeftovers(objects.leftNormal, objects.leftTexCoord);
    objects.ready = true;
    return true;
}

void setDivisor(GLuint attribute, GLuint divisor) {
    if (objects.arbEntryPoints) {
        glVertexAttribDivisorARB(attribute, divisor);
    } else {
        glVertexAttribDivisor(attribute, divisor);
    }
}

void drawPiece(const Piece& piece) {
    const void* first = reinterpret_cast<const void*>(piece.firstIndexBytes);
    if (objects.arbEntryPoints) {
        glDrawElementsInstancedARB(GL_TRIANGLES, piece.indexCount, GL_UNSIGNED_SHORT, first, objects.shownCount);
    } else {
        glDrawElementsInstanced(GL_TRIANGLES, piece.indexCount, GL_UNSIGNED_SHORT, first, objects.shownCount);
    }
}

// The sine and cosine of an orbit angle. Fish of one pace share their angle
// to the bit, so a handful of recent angles answers nearly every fish.
void turnBy(float degrees, float* s, float* c) {
    struct Turn {
        uint32_t key;  // the angle's bits plus one; 0 while empty
        float s, c;
    };
    static Turn recent[16];
    uint32_t bits;
    std::memcpy(&bits, &degrees, sizeof bits);
    // Plus one leaves 0 for empty: the only bits it turns into 0 are a NaN's.
    uint32_t key = bits + 1u;
    Turn& turn = recent[(bits ^ (bits >> 7) ^ (bits >> 17)) & 15u];
    if (turn.key != key) {
        turn.key = key;
        sincosf(degrees * static_cast<float>(M_PI / 180.0), &turn.s, &turn.c);
    }
    *s = turn.s;
    *c = turn.c;
}

// One fish's data: the rotation about the tank's axis by its orbit angle,
// then its pose's matrix, as rows; the matrix has no projective part, so
// three rows say all of it.
void writeInstance(const Fish& fish, float* out) {
    float s, c;
    turnBy(fish.orbitAngle, &s, &c);
    const float* m = fish.model.m;  // column-major: m[4 * column + row]
    for (int column = 0; column < 4; ++column) {
        float x = m[4 * column], y = m[4 * column + 1], z = m[4 * column + 2];
        out[column] = c * x + s * z;
        out[4 + column] = y;
        out[8 + column] = c * z - s * x;
    }
    out[12] = static_cast<float>(fish.colourType);
}

// Where the matrix rows at ROWS (twelve floats) go in instanceSlots: by
// where the fish is, which alone nearly always tells two fish apart; the
// whole matrix is compared on a match.
size_t slotOf(const float* rows) {
    uint32_t x, y, z;
    std::memcpy(&x, &rows[3], sizeof x);
    std::memcpy(&y, &rows[7], sizeof y);
    std::memcpy(&z, &rows[11], sizeof z);
    uint64_t hash = (x * 0x9e3779b97f4a7c15ull) ^ (y * 0xc2b2ae3d27d4eb4full) ^ (z * 0x165667b19e3779f9ull);
    return static_cast<size_t>(hash ^ (hash >> 29)) & (instanceSlots.size() - 1);
}

// Keeps the instance just written at instance number SHOWN unless an earlier
// one has the same matrix; true when it is kept.
bool keepUnlessShown(uint32_t shown) {
    const float* rows = &instanceData[static_cast<size_t>(shown) * kInstanceFloats];
    for (size_t slot = slotOf(rows);; slot = (slot + 1) & (instanceSlots.size() - 1)) {
        uint32_t held = instanceSlots[slot];
        if (held == 0) {
            instanceSlots[slot] = shown + 1;
            return true;
        }
        if (std::memcmp(&instanceData[static_cast<size_t>(held - 1) * kInstanceFloats], rows, 12 * sizeof(float)) == 0) {
            return false;
        }
    }
}

// Steps the school (unless the moment is repeated) and hands its data over;
// a repeated moment whose data the buffer already holds sends nothing.
void uploadInstances(float dt) {
    if (repeatingMoment && objects.uploadedCount == fishCount) {
        return;
    }
    if (!repeatingMoment) {
        stepSchool(dt);
    }
    // Fish with the same matrix to the bit (the same place, pace and
    // heading) make the same fragments at the same depths, and the first
    // one drawn passes every depth test the later ones then fail: only the
    // first is sent. A large school has many such (where a fish starts and
    // its pace take some 1,750 values in all).
    size_t slots = 64;
    while (slots < 2 * static_cast<size_t>(fishCount)) {
        slots *= 2;
    }
    instanceSlots.assign(slots, 0);
    instanceData.resize(static_cast<size_t>(fishCount) * kInstanceFloats);
    uint32_t shown = 0;
    for (const Fish& fish : fishesInUse()) {
        writeInstance(fish, &instanceData[static_cast<size_t>(shown) * kInstanceFloats]);
        shown += keepUnlessShown(shown);
    }
    glBindBuffer(GL_ARRAY_BUFFER, objects.instanceBuffer);
    // A new store each frame: the driver need not wait for draws that still
    // read the last one.
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(shown * kInstanceFloats * sizeof(float)),
                 instanceData.data(), GL_STREAM_DRAW);
    objects.uploadedCount = fishCount;
    objects.shownCount = static_cast<int>(shown);
}

void pointAttributes() {
    constexpr GLsizei meshStride = sizeof(FishMeshVertex);
    glBindBuffer(GL_ARRAY_BUFFER, objects.meshBuffer);
    glVertexAttribPointer(ATTRIBUTE_POSITION, 3, GL_FLOAT, GL_FALSE, meshStride,
                          reinterpret_cast<void*>(offsetof(FishMeshVertex, position)));
    glVertexAttribPointer(ATTRIBUTE_NORMAL, 3, GL_FLOAT, GL_FALSE, meshStride,
                          reinterpret_cast<void*>(offsetof(FishMeshVertex, normal)));
    glVertexAttribPointer(ATTRIBUTE_ACROSS, 2, GL_FLOAT, GL_FALSE, meshStride,
                          reinterpret_cast<void*>(offsetof(FishMeshVertex, across)));
    constexpr GLsizei instanceStride = kInstanceFloats * sizeof(float);
    glBindBuffer(GL_ARRAY_BUFFER, objects.instanceBuffer);
    for (GLuint row = 0; row < 4; ++row) {
        GLuint attribute = ATTRIBUTE_MODEL_ROW0 + row;
        glVertexAttribPointer(attribute, row < 3 ? 4 : 1, GL_FLOAT, GL_FALSE, instanceStride,
                              reinterpret_cast<void*>(4 * row * sizeof(float)));
        setDivisor(attribute, 1);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, objects.indexBuffer);
    for (GLuint a = 0; a < ATTRIBUTE_COUNT; ++a) {
        glEnableVertexAttribArray(a);
    }
}

// Leaves the arrays as the passes after this one expect them: none on, and
// every divisor back to 0.
void releaseAttributes() {
    for (GLuint a = 0; a < ATTRIBUTE_COUNT; ++a) {
        glDisableVertexAttribArray(a);
    }
    for (GLuint a = ATTRIBUTE_MODEL_ROW0; a < ATTRIBUTE_COUNT; ++a) {
        setDivisor(a, 0);
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

} // namespace

bool checkFishInstancing() {
    if (!checkShaderObjectSupport()) {
        return false;
    }
    return epoxy_gl_version() >= 33 ||
           (epoxy_has_gl_extension("GL_ARB_instanced_arrays") && epoxy_has_gl_extension("GL_ARB_draw_instanced"));
}

bool drawSchoolInstanced(float dt) {
    // Without the scene's own fish programs the school is drawn by the
    // fixed-function pipeline, one fish at a time, as it always was; with
    // retained drawing off, every vertex of every fish is sent, the reference
    // the other ways are held to.
    if (!instancedFish || !retainedGeometry || scene.fishProgram == 0 || scene.finProgram == 0 || !checkShaderObjectSupport() ||
        !prepare()) {
        // The fish move without this buffer now; a repeated moment must not
        // show what it holds.
        objects.uploadedCount = -1;
        return false;
    }
    uploadInstances(dt);
    pointAttributes();

    useProgram(objects.bodyProgram);
    glCullFace(GL_BACK);
    glDisable(GL_BLEND);
    glUniform4fv(objects.bodyColoursLocation, 7, bodyColourTable);
    drawPiece(objects.body);
    glUniform4fv(objects.bodyColoursLocation, 7, eyeColourTable);
    drawPiece(objects.eyes);

    // Both sides of the open funnel show.
    glDisable(GL_CULL_FACE);
    useProgram(objects.finProgram);
    glUniform4fv(objects.finColoursLocation, 7, tailColourTable);
    drawPiece(objects.tail);

    glEnable(GL_CULL_FACE);
    useProgram(0);
    glEnable(GL_BLEND);
    releaseAttributes();
    // The passes after this one find the current normal and texture
    // coordinate as the last fish drawn piece by piece would leave them.
    glNormal3fv(objects.leftNormal);
    glTexCoord2fv(objects.leftTexCoord);
    return true;
}

void releaseSchoolInstances() {
    if (objects.ready) {
        GLuint buffers[3] = {objects.meshBuffer, objects.indexBuffer, objects.instanceBuffer};
        glDeleteBuffers(3, buffers);
    }
    for (GLhandleARB program : {objects.bodyProgram, objects.finProgram}) {
        if (program != 0) {
            glDeleteObjectARB(program);
        }
    }
    objects = SchoolObjects{};
}
