#pragma once
// The scene's shared constants and GL handles. All are zero until initScene
// assigns them; afterwards only fishTarget changes (every tank pass).
#include "camera/vecmath.h"
#include "platform/gl_api.h"

extern Vec3 sceneOffset;           // first translation of both tank passes
extern Vec3 tankCentre;            // centre of the tank's base, after sceneOffset
extern float tankRadius;           // radius of the glass; other radii derive from it
extern Vec3 waterSurfacePosition;  // translation of the water grid
extern Vec3 stencilDiskPosition;   // the water column's cap disk
extern Vec3 fishTarget;            // the point the fish steer by, set each tank pass
extern GLUquadric* sharedQuadric;  // every cylinder and disk, GLU's default settings

extern GLhandleARB waterProgram;
extern GLhandleARB fishProgram;
extern GLhandleARB finProgram;
extern GLhandleARB lightProgram;
extern GLint waveLocation;       // "vWave" in waterProgram
extern GLint timeLocation;       // "fTime" in waterProgram
extern GLint fishColorLocation;  // "lawlColor" in fishProgram
extern GLint finColorLocation;   // "lawlColor" in finProgram
extern GLint alphaLocation;      // "fAlpha" in lightProgram

extern GLuint sandTexture;
extern GLuint bubbleTexture;
