#include "assets/shader.h"

#include <cstdio>

char shaderSourceBuffer[kMaxShaderSourceLength + 1];

namespace {

enum class Support { Unknown, Yes, No };
Support support = Support::Unknown;

// The program that useProgram last made current. Kept here so that the
// uniform uploads, a few hundred a frame, need not ask GL for it.
GLhandleARB currentProgram = 0;

void deleteBoth(GLhandleARB vertex, GLhandleARB fragment) {
    glDeleteObjectARB(vertex);
    glDeleteObjectARB(fragment);
}

// Reads GL_OBJECT_COMPILE_STATUS_ARB or GL_OBJECT_LINK_STATUS_ARB of an object.
bool checkObjectStatus(GLhandleARB object, GLenum status) {
    GLint value = 0;
    glGetObjectParameterivARB(object, status, &value);
    return value != 0;
}

} // namespace

bool checkShaderObjectSupport() {
    if (support == Support::Unknown) {
        bool all = epoxy_has_gl_extension("GL_ARB_shader_objects") &&
                   epoxy_has_gl_extension("GL_ARB_vertex_shader") &&
                   epoxy_has_gl_extension("GL_ARB_fragment_shader");
        support = all ? Support::Yes : Support::No;
    }
    return support == Support::Yes;
}

void disableShaderObjects() {
    // Asked of GL rather than of currentProgram: a program bound in any other
    // way would go on drawing just the same.
    if (support == Support::Yes && glGetHandleARB(GL_PROGRAM_OBJECT_ARB) != 0) {
        glUseProgramObjectARB(0);
    }
    support = Support::No;
    currentProgram = 0;
}

void forgetShaderPrograms() { currentProgram = 0; }

bool readShaderSourceFile(const char* fileName, char* buffer, long limit) {
    std::FILE* file = std::fopen(fileName, "r");
    if (file == nullptr) {
        return false;
    }
    long count = 0;
    while (std::fgetc(file) != EOF) {
        if (++count > limit) {
            std::fclose(file);
            return false;
        }
    }
    // EOF also ends the count on a read error (a folder opened by mistake
    // fails with EISDIR): such a file was not read, so it is refused rather
    // than taken as an empty or shortened source.
    if (std::ferror(file)) {
        std::fclose(file);
        return false;
    }
    std::rewind(file);
    size_t read = std::fread(buffer, 1, static_cast<size_t>(count), file);
    // Terminate after what actually arrived, so a file that shrank between the
    // count and the read cannot leave an older source's tail behind.
    buffer[read] = '\0';
    std::fclose(file);
    return true;
}

bool loadShaderSource(const char* fileName, GLhandleARB shader) {
    if (!readShaderSourceFile(fileName, shaderSourceBuffer, kMaxShaderSourceLength)) {
        return false;
    }
    const GLcharARB* text = shaderSourceBuffer;
    glShaderSourceARB(shader, 1, &text, nullptr);
    return true;
}

GLhandleARB buildShaderProgram(const char* vertexFile, const char* fragmentFile, const char* const* attributes) {
    if (!checkShaderObjectSupport()) {
        return 0;
    }
    GLhandleARB vertex = glCreateShaderObjectARB(GL_VERTEX_SHADER_ARB);
    GLhandleARB fragment = glCreateShaderObjectARB(GL_FRAGMENT_SHADER_ARB);
    if (!loadShaderSource(vertexFile, vertex) || !loadShaderSource(fragmentFile, fragment)) {
        deleteBoth(vertex, fragment);
        return 0;
    }
    // Both stages compile before either status is looked at.
    glCompileShaderARB(vertex);
    glCompileShaderARB(fragment);
    if (!checkObjectStatus(vertex, GL_OBJECT_COMPILE_STATUS_ARB) ||
        !checkObjectStatus(fragment, GL_OBJECT_COMPILE_STATUS_ARB)) {
        deleteBoth(vertex, fragment);
        return 0;
    }
    GLhandleARB program = glCreateProgramObjectARB();
    glAttachObjectARB(program, vertex);
    glAttachObjectARB(program, fragment);
    for (GLuint i = 0; attributes != nullptr && attributes[i] != nullptr; ++i) {
        glBindAttribLocationARB(program, i, attributes[i]);
    }
    glLinkProgramARB(program);
    // Attached objects live on until the program goes.
    deleteBoth(vertex, fragment);
    // A program that did not link cannot be made current: using it would keep
    // whatever program was current before and raise GL_INVALID_OPERATION
    // every frame. It goes, and its pass draws with the fixed-function
    // pipeline as after a compile error.
    if (!checkObjectStatus(program, GL_OBJECT_LINK_STATUS_ARB)) {
        glDeleteObjectARB(program);
        return 0;
    }
    return program;
}

GLint findUniformLocation(GLhandleARB program, const char* name) {
    if (program == 0) {
        return -1;
    }
    return glGetUniformLocationARB(program, name);
}

void useProgram(GLhandleARB program) {
    if (checkShaderObjectSupport()) {
        glUseProgramObjectARB(program);
        currentProgram = program;
    }
}

void uploadUniform1f(GLint location, float value) {
    if (currentProgram != 0) {
        glUniform1f(location, value);
    }
}

void uploadUniform3f(GLint location, float x, float y, float z) {
    if (currentProgram != 0) {
        glUniform3f(location, x, y, z);
    }
}

void uploadUniform4fv(GLint location, const float* value) {
    if (currentProgram != 0) {
        glUniform4fv(location, 1, value);
    }
}
