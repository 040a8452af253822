#include "scene/grid.h"

#include "platform/gl_api.h"
#include "scene/palette.h"

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
    glColor4fv(paletteGreen);
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

void drawGridRoom() {
    drawGridPlane();

    glPushMatrix();
    glTranslatef(0.0f, 100.0f, 0.0f);
    drawGridPlane();
    glPopMatrix();

    glPushMatrix();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, 50.0f, 50.0f);
    drawGridPlane();
    glPopMatrix();

    glPushMatrix();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, -50.0f, 50.0f);
    drawGridPlane();
    glPopMatrix();

    glPushMatrix();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(-90.0f, 0.0f, 0.0f, 1.0f);
    glTranslatef(0.0f, 50.0f, 50.0f);
    drawGridPlane();
    glPopMatrix();

    glPushMatrix();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(-90.0f, 0.0f, 0.0f, 1.0f);
    glTranslatef(0.0f, -50.0f, 50.0f);
    drawGridPlane();
    glPopMatrix();
}
