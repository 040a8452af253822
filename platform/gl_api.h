#pragma once
// OpenGL for the whole program: libepoxy resolves every entry point beyond the
// base library once a context is current; GLU comes from Mesa. epoxy must come
// first, it stands in for <GL/gl.h>.
#include <epoxy/gl.h>
#include <GL/glu.h>
