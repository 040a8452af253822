#pragma once
// The scene's shared constants and GL handles, in one record. All are zero
// until initScene assigns them; afterwards only fishTarget changes (every
// tank pass).
#include "camera/vecmath.h"
#include "platform/gl_api.h"

struct SceneState {
    Vec3 sceneOffset;           // first translation of both tank passes
    Vec3 tankCentre;            // centre of the tank's base, after sceneOffset
    float tankRadius;           // radius of the glass; other radii derive from it
    Vec3 waterSurfacePosition;  // translation of the water grid
    Vec3 stencilDiskPosition;   // the water column's cap disk
    Vec3 fishTarget;            // the point the fish steer by, set each tank pass
    GLUquadric* sharedQuadric;  // every cylinder and disk, GLU's default settings

    GLhandleARB waterProgram;
    GLhandleARB fishProgram;
    GLhandleARB finProgram;
    GLhandleARB lightProgram;
    GLint waveLocation;       // "vWave" in waterProgram
    GLint timeLocation;       // "fTime" in waterProgram
    GLint fishColorLocation;  // "lawlColor" in fishProgram
    GLint finColorLocation;   // "lawlColor" in finProgram
    GLint alphaLocation;      // "fAlpha" in lightProgram

    GLuint sandTexture;
    GLuint bubbleTexture;
};

extern SceneState scene;
