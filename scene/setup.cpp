#include "scene/setup.h"

#include "assets/shader.h"
#include "assets/texture.h"
#include "camera/camera.h"
#include "platform/gl_api.h"
#include "scene/bubbles.h"
#include "scene/caustics.h"
#include "scene/fish.h"
#include "scene/palette.h"
#include "scene/retained.h"
#include "scene/sand.h"
#include "scene/scene_state.h"
#include "scene/school.h"
#include "scene/water.h"

namespace {

// Both lights are placed while the model-view matrix is the identity, so they
// sit at the eye and travel with the viewer for the whole run.
void setUpLights() {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightf(GL_LIGHT0, GL_SPOT_CUTOFF, 45.0f);
    glLightfv(GL_LIGHT0, GL_AMBIENT, palette.paletteBlack);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, palette.paletteWhite);
    glLightfv(GL_LIGHT0, GL_SPECULAR, palette.paletteWhite);
    glLightfv(GL_LIGHT0, GL_POSITION, palette.paletteOrigin);

    glEnable(GL_LIGHT1);
    glLightfv(GL_LIGHT1, GL_AMBIENT, palette.paletteBlack);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, palette.paletteDarkGrey);
    glLightfv(GL_LIGHT1, GL_SPECULAR, palette.paletteBlue);
    glLightfv(GL_LIGHT1, GL_POSITION, palette.paletteOrigin);

    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, palette.paletteBlack);
}

void setUpPointSprites() {
    glEnable(GL_POINT_SPRITE);
    glTexEnvi(GL_POINT_SPRITE, GL_COORD_REPLACE, GL_TRUE);
    glPointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, GL_LOWER_LEFT);
}

} // namespace

void buildScenePrograms() {
    scene.waterProgram = buildShaderProgram("Water.vp", "Water.fp");
    scene.fishProgram = buildShaderProgram("FEESH.vp", "FEESH.fp");
    scene.finProgram = buildShaderProgram("FIN.vp", "FIN.fp");
    scene.lightProgram = buildShaderProgram("lux.vp", "lux.fp");
    useProgram(scene.waterProgram);
    scene.waveLocation = findUniformLocation(scene.waterProgram, "vWave");
    scene.timeLocation = findUniformLocation(scene.waterProgram, "fTime");
    scene.fishColorLocation = findUniformLocation(scene.fishProgram, "lawlColor");
    scene.finColorLocation = findUniformLocation(scene.finProgram, "lawlColor");
    scene.alphaLocation = findUniformLocation(scene.lightProgram, "fAlpha");
    // Samplers default to unit 0; the water samples the caustic frame, which
    // lives on unit 1.
    GLint causticMapLocation = findUniformLocation(scene.waterProgram, "causticMap");
    if (causticMapLocation != -1) {
        glUniform1i(causticMapLocation, 1);
    }
}

void initScene() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    scene.sharedQuadric = gluNewQuadric();
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
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, palette.paletteWhite);
    glMateriali(GL_FRONT_AND_BACK, GL_SHININESS, 128);
    loadHeightMap();

    scene.sceneOffset = {-11.182f, -6.03f, -11.182f};
    scene.tankCentre = {12.76f, 4.9f, 12.76f};
    scene.waterSurfacePosition = {2.9f, 26.5f, -1.37f};
    scene.stencilDiskPosition = {1.6f, -1.44f, 28.9f};
    initWaterMesh();
    buildScenePrograms();
    scene.tankRadius = 12.8f;

    glEnable(GL_TEXTURE_2D);
    GLuint names[2];
    glGenTextures(2, names);
    scene.sandTexture = names[0];
    scene.bubbleTexture = names[1];
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, scene.sandTexture);
    if (!loadBmpTexture("Sand.bmp")) {
        return;
    }
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, scene.bubbleTexture);
    if (!loadBmpTexture("Bubble.bmp")) {
        return;
    }
    glBindTexture(GL_TEXTURE_2D, scene.sandTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    initFishes();
    initBubbles();
    initLaterFishes();
}

void releaseScene() {
    releaseRetainedShapes();
    releaseSandFloor();
    releaseSchoolInstances();
    forgetShaderPrograms();
    if (scene.sharedQuadric != nullptr) {
        gluDeleteQuadric(scene.sharedQuadric);
        scene.sharedQuadric = nullptr;
    }
}
