#pragma once
// GLSL programs through the ARB shader-object extensions. Where the driver
// lacks them every program is 0, nothing here calls a shader entry point, and
// the scene draws with the fixed-function pipeline.
#include "platform/gl_api.h"

constexpr int kMaxShaderSourceLength = 8192;

// The last source read, zero-terminated; every load overwrites it.
extern char shaderSourceBuffer[kMaxShaderSourceLength + 1];

// True when GL_ARB_shader_objects, _vertex_shader and _fragment_shader are all
// offered. Decided once, with the context current.
bool checkShaderObjectSupport();
// Makes checkShaderObjectSupport() false for the rest of the run, as on a driver
// without the extensions. A program left current is unbound first, so the
// passes that follow draw with the fixed-function pipeline.
void disableShaderObjects();
// Forgets which program is current, without a GL call. For whoever destroys
// the context (call it before platformDestroyWindow): the programs went with
// it, and a new context starts with none current.
void forgetShaderPrograms();

// Reads a text file of at most `limit` characters into buffer (which holds
// limit + 1 bytes) and zero-terminates it. False when the file cannot be
// opened or holds more. No GL involved.
bool readShaderSourceFile(const char* fileName, char* buffer, long limit);
// Reads a source file (at most 8192 characters) into the shader object. False
// when the file cannot be opened or is longer; shows no message.
bool loadShaderSource(const char* fileName, GLhandleARB shader);
// Compiles both files and links them; 0 when a file cannot be loaded, a
// stage does not compile or the two do not link. Shows no message.
// ATTRIBUTES, when given, is a list of vertex attribute names ended by a null:
// the i-th is bound to location i before linking.
GLhandleARB buildShaderProgram(const char* vertexFile, const char* fragmentFile,
                               const char* const* attributes = nullptr);
// The location of a uniform in the program; -1 for program 0 or a name that
// is not an active uniform of it.
GLint findUniformLocation(GLhandleARB program, const char* name);

// Makes the program current (0: the fixed-function pipeline).
void useProgram(GLhandleARB program);
// Uniform uploads to the current program. With no program current they do
// nothing: the value could not reach any program, and GL would only record an
// error.
void uploadUniform1f(GLint location, float value);
void uploadUniform3f(GLint location, float x, float y, float z);
void uploadUniform4fv(GLint location, const float* value);
