#include "scene/frame.h"

#include "camera/camera.h"
#include "platform/gl_api.h"
#include "scene/caustics.h"
#include "scene/grid.h"
#include "scene/palette.h"
#include "scene/pass_marks.h"
#include "scene/scene_state.h"
#include "scene/tank.h"
#include "scene/water.h"

namespace {

// Drawn where the stencil pass marked the water column, from both sides.
void drawWaterInColumn() {
    glPushMatrix();
    glEnable(GL_STENCIL_TEST);
    const Vec3& water = scene.waterSurfacePosition;
    glTranslatef(water.x, water.y, water.z);
    glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
    glDisable(GL_CULL_FACE);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, palette.paletteWhite);
    drawWaterSurface();
    glDisable(GL_STENCIL_TEST);
    glEnable(GL_CULL_FACE);
    glPopMatrix();
}

} // namespace

bool repeatingMoment = false;

void renderRepeatedFrame() {
    repeatingMoment = true;
    renderFrame();
    repeatingMoment = false;
}

void renderFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    advanceCausticFrame();
    glPushMatrix();
    applyCameraView();
    bindCausticFrame();
    markPassEnd(PASS_SETUP);
    drawGridRoom();
    markPassEnd(PASS_GRID_ROOM);
    // Everything after the room stands 2.5 units higher.
    glTranslatef(0.0f, 2.5f, 0.0f);

    glPushMatrix();
    drawWaterStencil();
    glPopMatrix();
    markPassEnd(PASS_STENCIL);

    glPushMatrix();
    drawWaterInColumn();
    markPassEnd(PASS_WATER);
    drawTankPass();
    glPopMatrix();

    glDisable(GL_STENCIL_TEST);
    glPopMatrix();
    markPassEnd(PASS_NEAR_GLASS);
}
