#include "scene/school.h"

#include <cstddef>
#include <vector>

#include "assets/shader.h"
#include "platform/gl_api.h"
#include "scene/fish.h"
#include "scene/fish_mesh.h"
#include "scene/frame.h"
#include "scene/palette.h"
#include "scene/retained.h"
#include "scene/scene_state.h"
#include "scene/school_data.h"

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

std::vector<float> records;
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

// Steps the school (unless the moment is repeated) and hands its records
// over; a repeated moment whose records the buffer already holds sends
// nothing.
void uploadInstances(float dt) {
    if (repeatingMoment && objects.uploadedCount == fishCount) {
        return;
    }
    if (!repeatingMoment) {
        stepSchool(dt);
    }
    objects.shownCount = fillSchoolRecords(records);
    glBindBuffer(GL_ARRAY_BUFFER, objects.instanceBuffer);
    // A new store each frame: the driver need not wait for draws that still
    // read the last one.
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(records.size() * sizeof(float)), records.data(),
                 GL_STREAM_DRAW);
    objects.uploadedCount = fishCount;
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
    constexpr GLsizei instanceStride = kSchoolRecordFloats * sizeof(float);
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
