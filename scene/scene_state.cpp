#include "scene/scene_state.h"

Vec3 sceneOffset = {0.0f, 0.0f, 0.0f};
Vec3 tankCentre = {0.0f, 0.0f, 0.0f};
float tankRadius = 0.0f;
Vec3 waterSurfacePosition = {0.0f, 0.0f, 0.0f};
Vec3 stencilDiskPosition = {0.0f, 0.0f, 0.0f};
Vec3 fishTarget = {0.0f, 0.0f, 0.0f};
GLUquadric* sharedQuadric = nullptr;

GLhandleARB waterProgram = 0;
GLhandleARB fishProgram = 0;
GLhandleARB finProgram = 0;
GLhandleARB lightProgram = 0;
GLint waveLocation = 0;
GLint timeLocation = 0;
GLint fishColorLocation = 0;
GLint finColorLocation = 0;
GLint alphaLocation = 0;

GLuint sandTexture = 0;
GLuint bubbleTexture = 0;
