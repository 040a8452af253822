#include "scene/tank.h"

#include "assets/shader.h"
#include "platform/gl_api.h"
#include "scene/bubbles.h"
#include "scene/fish.h"
#include "scene/frame.h"
#include "scene/palette.h"
#include "scene/pass_marks.h"
#include "scene/retained.h"
#include "scene/sand.h"
#include "scene/school.h"
#include "scene/scene_state.h"

DeltaClock tankClock;

namespace {

constexpr int kSlices = 30;

void translateBy(const Vec3& v) { glTranslatef(v.x, v.y, v.z); }

void setMaterial(const float* diffuse, const float* specular) {
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
}

// The quadrics, built from tankRadius, which set-up fixes before the first
// frame.
RetainedShape glassShape = {
    [] { gluCylinder(scene.sharedQuadric, scene.tankRadius, scene.tankRadius, 30.0, kSlices, 30); }, 0};
RetainedShape floorDiskShape = {[] { gluDisk(scene.sharedQuadric, 0.0, scene.tankRadius + 100.0f, kSlices, 30); },
                                0};
// The rim, the plinth's top and its side, each placed from the one before.
void emitRimAndPlinth() {
    gluCylinder(scene.sharedQuadric, scene.tankRadius - 1.0f, scene.tankRadius - 0.2f, 1.0, kSlices, 30);
    glTranslatef(0.0f, 0.0f, 1.0f);
    gluDisk(scene.sharedQuadric, scene.tankRadius - 0.2f, scene.tankRadius + 0.5f, kSlices, 10);
    glTranslatef(0.0f, 0.0f, -5.0f);
    gluCylinder(scene.sharedQuadric, scene.tankRadius + 0.5f, scene.tankRadius + 0.5f, 5.0, kSlices, 30);
}
RetainedShape rimAndPlinthShape = {emitRimAndPlinth, 0};
RetainedShape stencilDiskShape = {[] { gluDisk(scene.sharedQuadric, 0.0, scene.tankRadius, kSlices, 15); }, 0};

void drawGlassCylinder() { drawShape(glassShape); }

// Stands the glass on the tank's base and sets the state both of its sides
// share; the culled face picks the side that shows (GL_FRONT: the far side).
void placeGlass(GLenum culledFace) {
    translateBy(scene.tankCentre);
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glCullFace(culledFace);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_BLEND);
}

// The far side of the glass, drawn by the tank pass and, to mark the water
// column, by the stencil pass.
void drawFarGlassSide() {
    placeGlass(GL_FRONT);
    setMaterial(palette.paletteTranslucentBlue, palette.paletteWhite);
    drawGlassCylinder();
}

void drawFloorDisk() {
    glPushMatrix();
    translateBy(scene.tankCentre);
    glTranslatef(0.0f, -1.5f, 0.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    drawShape(floorDiskShape);
    glPopMatrix();
}

void drawRimAndPlinth() {
    glPushMatrix();
    useProgram(0);
    // Meant for the rim's program; with none current it changes nothing.
    uploadUniform1f(scene.alphaLocation, 1.0f);
    glDisable(GL_CULL_FACE);
    scene.fishTarget = {scene.tankCentre.x, scene.tankCentre.y - 0.01f, scene.tankCentre.z};
    translateBy(scene.fishTarget);
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, palette.paletteBlack);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, palette.paletteDarkGrey);
    drawShape(rimAndPlinthShape);
    glEnable(GL_CULL_FACE);
    useProgram(0);
    glPopMatrix();
}

void drawFarGlass() {
    glPushMatrix();
    drawFarGlassSide();
    glPopMatrix();
}

void drawSchool(float dt) {
    glPushMatrix();
    translateBy(scene.tankCentre);
    glDisable(GL_STENCIL_TEST);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, palette.paletteWhite);
    if (!drawSchoolInstanced(dt)) {
        for (Fish& fish : fishesInUse()) {
            updateAndDrawFish(fish, dt);
        }
    }
    glPopMatrix();
}

void drawSand() {
    glPushMatrix();
    glActiveTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
    glScalef(0.025f, 0.025f, 0.025f);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, palette.paletteWhite);
    glBindTexture(GL_TEXTURE_2D, scene.sandTexture);
    drawSandFloor(1.0f);
    glEnable(GL_CULL_FACE);
    glActiveTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
    glPopMatrix();
}

void drawBubbles() {
    glPushMatrix();
    translateBy(scene.tankCentre);
    updateAndDrawBubbles();
    glPopMatrix();
}

// Drawn last, blended over everything inside; unit 1 is the active unit here.
void drawNearGlass() {
    glPushMatrix();
    useProgram(0);
    // Meant for the glass's program; with none current it changes nothing.
    uploadUniform1f(scene.alphaLocation, 0.2f);
    placeGlass(GL_BACK);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, palette.paletteTranslucentBlue);
    drawGlassCylinder();
    useProgram(0);
    glPopMatrix();
}

} // namespace

void drawWaterStencil() {
    glClearStencil(0);
    glEnable(GL_STENCIL_TEST);
    // Every fragment fails and only counts itself into the stencil buffer.
    glStencilFunc(GL_NEVER, 0, 0);
    glStencilOp(GL_INCR, GL_INCR, GL_INCR);
    useProgram(0);

    glPushMatrix();
    translateBy(scene.sceneOffset);
    drawFarGlassSide();
    glPopMatrix();

    glPushMatrix();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    translateBy(scene.stencilDiskPosition);
    glDisable(GL_CULL_FACE);
    drawShape(stencilDiskShape);
    glEnable(GL_CULL_FACE);
    glEnable(GL_STENCIL_TEST);
    glPopMatrix();

    glStencilFunc(GL_EQUAL, 1, 1);
    glStencilOp(GL_DECR, GL_DECR, GL_DECR);
}

void drawTankPass() {
    float dt = repeatingMoment ? 0.0f : readAndRestart(tankClock);
    translateBy(scene.sceneOffset);
    useProgram(0);
    glActiveTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
    glDisable(GL_STENCIL_TEST);

    drawFloorDisk();
    drawRimAndPlinth();
    drawFarGlass();
    markPassEnd(PASS_TANK_SHELL);
    drawSchool(dt);
    markPassEnd(PASS_FISH);
    drawSand();
    markPassEnd(PASS_SAND);
    drawBubbles();
    markPassEnd(PASS_BUBBLES);
    glActiveTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    drawNearGlass();
    glEnable(GL_STENCIL_TEST);
}
