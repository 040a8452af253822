#include "scene/retained.h"

#include "platform/gl_api.h"

bool retainedGeometry = true;

namespace {

// Every shape with a list, for releaseRetainedShapes. The scene has a fixed
// handful; one more than that is drawn without a list.
constexpr int kMaxShapes = 16;
RetainedShape* compiled[kMaxShapes];
int compiledCount = 0;

bool compileShape(RetainedShape& shape) {
    if (compiledCount == kMaxShapes) {
        return false;
    }
    GLuint list = glGenLists(1);
    if (list == 0) {
        return false;
    }
    glNewList(list, GL_COMPILE);
    shape.emit();
    glEndList();
    shape.list = list;
    compiled[compiledCount++] = &shape;
    return true;
}

} // namespace

void drawShape(RetainedShape& shape) {
    if (retainedGeometry && (shape.list != 0 || compileShape(shape))) {
        glCallList(shape.list);
    } else {
        shape.emit();
    }
}

void releaseRetainedShapes() {
    for (int i = 0; i < compiledCount; ++i) {
        glDeleteLists(compiled[i]->list, 1);
        compiled[i]->list = 0;
    }
    compiledCount = 0;
}
