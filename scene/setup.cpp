#include "scene/setup.h"

#include "assets/shader.h"
#include "assets/texture.h"
#include "camera/camera.h"
#include "platform/gl_api.h"
#include "scene/bubbles.h"
#include "scene/caustics.h"
#include "scene/fish.h"
#include "scene/palette.h"
#include "scene/sand.h"
#include "scene/scene_state.h"
#include "scene/water.h"

namespace {

// Both lights are placed while the model-view matrix is the identity, so they
// sit at the eye and travel with the viewer for the whole run.
void setUpLights() {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightf(GL_LIGHT0, GL_SPOT_CUTOFF, 45.0f);
    glLightfv(GL_LIGHT0, GL_AMBIENT, paletteBlack);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, paletteWhite);
    glLightfv(GL_LIGHT0, GL_SPECULAR, paletteWhite);
    glLightfv(GL_LIGHT0, GL_POSITION, paletteOrigin);

    glEnable(GL_LIGHT1);
    glLightfv(GL_LIGHT1, GL_AMBIENT, paletteBlack);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, paletteDarkGrey);
    glLightfv(GL_LIGHT1, GL_SPECULAR, paletteBlue);
    glLightfv(GL_LIGHT1, GL_POSITION, paletteOrigin);

    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, paletteBlack);
}

void setUpPointSprites() {
    glEnable(GL_POINT_SPRITE);
    glTexEnvi(GL_POINT_SPRITE, GL_COORD_REPLACE, GL_TRUE);
    glPointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, GL_LOWER_LEFT);
}

} // namespace

void initScene() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    sharedQuadric = gluNewQuadric();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    loadCausticTextures();
    setUpPointSprites();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    cameraPosition = {0.0f, 5.0f, 40.0f};
    setUpLights();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, paletteWhite);
    glMateriali(GL_FRONT_AND_BACK, GL_SHININESS, 128);
    loadHeightMap();

    sceneOffset = {-11.182f, -6.03f, -11.182f};
    tankCentre = {12.76f, 4.9f, 12.76f};
    waterSurfacePosition = {2.9f, 26.5f, -1.37f};
    stencilDiskPosition = {1.6f, -1.44f, 28.9f};
    initWaterMesh();
    buildScenePrograms();
    tankRadius = 12.8f;

    glEnable(GL_TEXTURE_2D);
    GLuint names[2];
    glGenTextures(2, names);
    sandTexture = names[0];
    bubbleTexture = names[1];
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, sandTexture);
    if (!loadBmpTexture("Sand.bmp")) {
        return;
    }
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, bubbleTexture);
    if (!loadBmpTexture("Bubble.bmp")) {
        return;
    }
    glBindTexture(GL_TEXTURE_2D, sandTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    initFishes();
    initBubbles();
}
