#include "scene/fish.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "assets/shader.h"
#include "platform/gl_api.h"
#include "scene/frame.h"
#include "scene/palette.h"
#include "scene/retained.h"
#include "scene/scene_state.h"
#include "scene/sphere.h"

int fishCount = kFirstSchool;
FishTable fishes(kFirstSchool);

void setFishCount(int count) {
    fishCount = count;
    fishes.resize(static_cast<size_t>(count > kFirstSchool ? count : kFirstSchool));
}

FishRange fishesInUse() { return {fishes.data(), fishes.data() + fishCount}; }

const float* const fishBodyColours[7] = {
    palette.paletteRed,  palette.paletteOrange, palette.paletteYellow,  palette.paletteGreen,
    palette.paletteBlue, palette.paletteCyan,   palette.paletteMagenta,
};
const float* const fishTailColours[7] = {
    palette.paletteCyan, palette.paletteRed,    palette.paletteWhite, palette.paletteDarkGrey,
    palette.paletteRed,  palette.paletteYellow, palette.paletteBlack,
};

namespace {

// One fish's three pieces, the same for every fish.
RetainedShape bodyShape = {[] { drawSphere(1.0f, 6, 3); }, 0};
RetainedShape eyeShape = {[] { drawSphere(0.5f, 30, 15); }, 0};
RetainedShape tailShape = {[] { gluCylinder(scene.sharedQuadric, 1.0, 0.3, 0.5, 4, 2); }, 0};

// Fills records FIRST to LAST - 1, four rand() draws each.
void fillFishes(int first, int last) {
    float r = scene.tankRadius - 5.0f;
    int k = static_cast<int>(r);
    for (int i = first; i < last; ++i) {
        Fish& fish = fishes[i];
        float y = static_cast<float>(std::rand() % 25) + 1.5f;
        float z = static_cast<float>(std::rand() % k) - r;
        fish.colourType = std::rand() % 7;
        fish.speed = static_cast<float>(std::rand() % 10 + 1);
        fish.orbitAngle = 0.0f;
        fish.pose.position = {r, y, z};
        fish.pose.up = {0.0f, 1.0f, 0.0f};
    }
}

} // namespace

void initFishes() { fillFishes(0, kFirstSchool); }

void initLaterFishes() { fillFishes(kFirstSchool, fishCount); }

namespace {

void advanceOrbit(Fish& fish, float dt) {
    fish.orbitAngle = fish.orbitAngle + fish.speed * 10.0f * dt;
    // A whole turn is the same rotation. Kept below 360 the angle stays as
    // fine as in the first lap; left to grow, a float angle stops taking
    // a slow fish's turn of a frame within days.
    if (fish.orbitAngle >= 360.0f) {
        fish.orbitAngle = std::fmod(fish.orbitAngle, 360.0f);
    }
}

bool sameBits(const Vec3& a, const Vec3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

} // namespace

void stepSchool(float dt) {
    // A fish's heading comes from its up vector and fishTarget alone. A fish
    // whose up vector is, to the bit, that of the last fish worked out takes
    // that fish's heading and matrix, all but the position: what stepFish
    // would give it, without the square roots. In this scene that is every
    // fish after the first.
    const Fish* worked = nullptr;
    Vec3 workedUp{};
    for (Fish& fish : fishesInUse()) {
        if (worked != nullptr && sameBits(fish.pose.up, workedUp)) {
            advanceOrbit(fish, dt);
            fish.pose.forward = worked->pose.forward;
            fish.pose.up = worked->pose.up;
            fish.model = worked->model;
            fish.model.m[12] = fish.pose.position.x;
            fish.model.m[13] = fish.pose.position.y;
            fish.model.m[14] = fish.pose.position.z;
        } else {
            workedUp = fish.pose.up;
            fish.model = stepFish(fish, dt);
            worked = &fish;
        }
    }
}

Mat4 stepFish(Fish& fish, float dt) {
    advanceOrbit(fish, dt);
    // The steering direction comes from the pose's up vector, not its
    // position, so every fish gets the same heading in its orbiting frame.
    const Vec3& up = fish.pose.up;
    Vec3 d = {scene.fishTarget.x - up.x, scene.fishTarget.y - up.y, scene.fishTarget.z - up.z};
    float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    Vec3 n = {-d.x / length, -d.y / length, -d.z / length};
    fish.pose.forward = cross(up, n);
    // The matrix takes forward as computed, before it is made unit length.
    Mat4 model = poseMatrix(fish.pose);
    orthonormalizePose(fish.pose);
    return model;
}

void updateAndDrawFish(Fish& fish, float dt) {
    glPushMatrix();
    if (!repeatingMoment) {
        fish.model = stepFish(fish, dt);
    }
    const Mat4& model = fish.model;
    glRotatef(fish.orbitAngle, 0.0f, 1.0f, 0.0f);
    glMultMatrixf(model.m);
    drawFish(fish.colourType);
    glPopMatrix();
}

void drawFish(int colourType) {
    glPushMatrix();
    useProgram(scene.fishProgram);
    glCullFace(GL_BACK);
    uploadUniform4fv(scene.fishColorLocation, fishBodyColours[colourType]);
    glDisable(GL_BLEND);
    drawShape(bodyShape);

    glPushMatrix();
    uploadUniform4fv(scene.fishColorLocation, palette.paletteBlack);
    glTranslatef(-0.3f, 0.0f, 0.0f);
    glTranslatef(0.0f, 0.25f, 0.0f);
    glScalef(0.5f, 0.5f, 1.5f);
    drawShape(eyeShape);
    glPopMatrix();

    glTranslatef(1.0f, 0.0f, 0.0f);
    glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
    glDisable(GL_CULL_FACE);
    useProgram(scene.finProgram);
    uploadUniform4fv(scene.finColorLocation, fishTailColours[colourType]);
    drawShape(tailShape);

    glEnable(GL_CULL_FACE);
    useProgram(0);
    glEnable(GL_BLEND);
    glPopMatrix();
}

void drawSphere(float radius, int slices, int stacks) {
    generateSphere(
        radius, slices, stacks, [] { glBegin(GL_TRIANGLE_STRIP); },
        [](const SphereVertex& vertex) {
            glTexCoord2f(vertex.u, vertex.v);
            glNormal3f(vertex.normal.x, vertex.normal.y, vertex.normal.z);
            glVertex3f(vertex.position.x, vertex.position.y, vertex.position.z);
        },
        [] { glEnd(); });
}
