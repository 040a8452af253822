#include "tests/gl_call_counter.h"

#include <dlfcn.h>

#include "platform/gl_api.h"

namespace {

bool counting = false;
GlCallCount counted;

// The pointers libepoxy resolved, kept while the counting ones stand in.
PFNGLBEGINPROC realBegin;
PFNGLCALLLISTPROC realCallList;
PFNGLDRAWARRAYSPROC realDrawArrays;
PFNGLDRAWELEMENTSPROC realDrawElements;
PFNGLDRAWARRAYSINSTANCEDPROC realDrawArraysInstanced;
PFNGLDRAWELEMENTSINSTANCEDPROC realDrawElementsInstanced;
PFNGLDRAWELEMENTSINSTANCEDARBPROC realDrawElementsInstancedArb;

void countBegin(GLenum mode) {
    ++counted.begins;
    ++counted.draws;
    realBegin(mode);
}
void countCallList(GLuint list) {
    ++counted.draws;
    realCallList(list);
}
void countDrawArrays(GLenum mode, GLint first, GLsizei count) {
    ++counted.draws;
    realDrawArrays(mode, first, count);
}
void countDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    ++counted.draws;
    realDrawElements(mode, count, type, indices);
}
void countDrawArraysInstanced(GLenum mode, GLint first, GLsizei count, GLsizei instances) {
    ++counted.draws;
    realDrawArraysInstanced(mode, first, count, instances);
}
void countDrawElementsInstanced(GLenum mode, GLsizei count, GLenum type, const void* indices, GLsizei instances) {
    ++counted.draws;
    realDrawElementsInstanced(mode, count, type, indices, instances);
}
void countDrawElementsInstancedArb(GLenum mode, GLsizei count, GLenum type, const void* indices,
                                   GLsizei instances) {
    ++counted.draws;
    realDrawElementsInstancedArb(mode, count, type, indices, instances);
}

template <class Proc>
void swapIn(Proc* pointer, Proc* saved, Proc counter) {
    *saved = *pointer;
    *pointer = counter;
}

} // namespace

#undef glBegin
// GLU calls the library's glBegin, not epoxy's pointer.
extern "C" void glBegin(GLenum mode) {
    static auto next = reinterpret_cast<void (*)(GLenum)>(dlsym(RTLD_NEXT, "glBegin"));
    if (counting) {
        ++counted.begins;
        ++counted.draws;
    }
    next(mode);
}

void startCountingGlCalls() {
    counted = GlCallCount{};
    counting = true;
    swapIn(&epoxy_glBegin, &realBegin, countBegin);
    swapIn(&epoxy_glCallList, &realCallList, countCallList);
    swapIn(&epoxy_glDrawArrays, &realDrawArrays, countDrawArrays);
    swapIn(&epoxy_glDrawElements, &realDrawElements, countDrawElements);
    swapIn(&epoxy_glDrawArraysInstanced, &realDrawArraysInstanced, countDrawArraysInstanced);
    swapIn(&epoxy_glDrawElementsInstanced, &realDrawElementsInstanced, countDrawElementsInstanced);
    swapIn(&epoxy_glDrawElementsInstancedARB, &realDrawElementsInstancedArb, countDrawElementsInstancedArb);
}

GlCallCount stopCountingGlCalls() {
    counting = false;
    epoxy_glBegin = realBegin;
    epoxy_glCallList = realCallList;
    epoxy_glDrawArrays = realDrawArrays;
    epoxy_glDrawElements = realDrawElements;
    epoxy_glDrawArraysInstanced = realDrawArraysInstanced;
    epoxy_glDrawElementsInstanced = realDrawElementsInstanced;
    epoxy_glDrawElementsInstancedARB = realDrawElementsInstancedArb;
    return counted;
}
