#pragma once
// What the scene needs of the OpenGL driver: version 2.0, for multitexturing,
// glPointParameteri and point sprites with a settable origin. Its shading
// language, GLSL 1.10, is the one the shader sources are written in. Returns a
// sentence naming what is missing, or null when all is there. Needs a current
// context.
const char* findMissingGlRequirement();
