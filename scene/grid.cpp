#include "scene/grid.h"

#include "platform/gl_api.h"
#include "scene/palette.h"
#include "scene/retained.h"

const GridPlacement gridRoom[6] = {
    {0.0f, 0.0f, {0.0f, 0.0f, 0.0f}},      // floor, y = 0
    {0.0f, 0.0f, {0.0f, 100.0f, 0.0f}},    // ceiling, y = 100
    {-90.0f, 0.0f, {0.0f, 50.0f, 50.0f}},  // wall at z = -50
    {-90.0f, 0.0f, {0.0f, -50.0f, 50.0f}}, // wall at z = +50
    {-90.0f, -90.0f, {0.0f, 50.0f, 50.0f}},  // wall at x = +50
    {-90.0f, -90.0f, {0.0f, -50.0f, 50.0f}}, // wall at x = -50
};

void drawGridPlane() {
    glDisable(GL_LIGHTING);
    glLineWidth(2.0f);
    glBegin(GL_LINES);
    glColor3f(1.0f, 1.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 50.0f);
    glVertex3f(0.0f, 0.0f, -50.0f);
    glVertex3f(50.0f, 0.0f, 0.0f);
    glVertex3f(-50.0f, 0.0f, 0.0f);
    glEnd();

    glLineWidth(1.0f);
    glBegin(GL_LINES);
    glColor4fv(palette.paletteGreen);
    // A float counter stepping by exactly 1.0 from -50 reaches 50.0 exactly, so
    // the border line s = 50 is drawn: 101 passes.
    for (float s = -50.0f; s <= 50.0f; s += 1.0f) {
        glVertex3f(s, 0.0f, 50.0f);
        glVertex3f(s, 0.0f, -50.0f);
        glVertex3f(50.0f, 0.0f, s);
        glVertex3f(-50.0f, 0.0f, s);
    }
    glEnd();
    glEnable(GL_LIGHTING);
}

namespace {

void emitGridRoom() {
    // The floor, gridRoom[0], is the plane as it is: drawn on the caller's matrix.
    drawGridPlane();
    for (int i = 1; i < 6; ++i) {
        const GridPlacement& placement = gridRoom[i];
        glPushMatrix();
        if (placement.turnAboutX != 0.0f) {
            glRotatef(placement.turnAboutX, 1.0f, 0.0f, 0.0f);
        }
        if (placement.turnAboutZ != 0.0f) {
            glRotatef(placement.turnAboutZ, 0.0f, 0.0f, 1.0f);
        }
        glTranslatef(placement.offset.x, placement.offset.y, placement.offset.z);
        drawGridPlane();
        glPopMatrix();
    }
}

RetainedShape roomShape = {emitGridRoom, 0};

} // namespace

void drawGridRoom() { drawShape(roomShape); }
