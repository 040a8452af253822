// Building the GLSL programs on the headless context.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "assets/shader.h"
#include "scene/scene_state.h"
#include "scene/setup.h"
#include "tests/gl_harness.h"
#include "tests/scene_test_support.h"

namespace {

const char* kVertex = "void main() { gl_Position = ftransform(); }\n";
const char* kFragment = "uniform vec4 lawlColor;\nvoid main() { gl_FragColor = lawlColor; }\n";

void writeFile(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
}

// A valid vertex shader padded with a comment to exactly `length` characters.
std::string vertexOfLength(size_t length) {
    std::string text = kVertex;
    text += "//";
    text.append(length - text.size() - 1, 'x');
    text += "\n";
    return text;
}

class ShaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureHeadlessContext();
        ASSERT_TRUE(checkShaderObjectSupport()) << "llvmpipe offers the ARB shader objects";
    }
};

TEST_F(ShaderTest, SourceLengthLimitIs8192Characters) {
    enterScratchDataDir({});
    writeFile("exact.vp", vertexOfLength(8192));
    writeFile("over.vp", vertexOfLength(8193));
    writeFile("f.fp", kFragment);
    GLhandleARB shader = glCreateShaderObjectARB(GL_VERTEX_SHADER_ARB);
    EXPECT_TRUE(loadShaderSource("exact.vp", shader));
    EXPECT_EQ(std::string(shaderSourceBuffer).size(), 8192u);
    EXPECT_FALSE(loadShaderSource("over.vp", shader));
    EXPECT_FALSE(loadShaderSource("missing.vp", shader));
    std::filesystem::create_directory("folder.vp");  // opens, but cannot be read
    EXPECT_FALSE(loadShaderSource("folder.vp", shader));
    glDeleteObjectARB(shader);
    EXPECT_NE(buildShaderProgram("exact.vp", "f.fp"), 0u);
    EXPECT_EQ(buildShaderProgram("over.vp", "f.fp"), 0u);
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST_F(ShaderTest, SecondLoadReplacesTheBufferButNotTheFirstShader) {
    enterScratchDataDir({});
    writeFile("a.vp", kVertex);
    writeFile("b.fp", kFragment);
    GLhandleARB first = glCreateShaderObjectARB(GL_VERTEX_SHADER_ARB);
    GLhandleARB second = glCreateShaderObjectARB(GL_FRAGMENT_SHADER_ARB);
    ASSERT_TRUE(loadShaderSource("a.vp", first));
    ASSERT_TRUE(loadShaderSource("b.fp", second));
    EXPECT_EQ(std::string(shaderSourceBuffer), kFragment);
    char kept[256];
    GLsizei length = 0;
    glGetShaderSource(first, sizeof kept, &length, kept);
    EXPECT_EQ(std::string(kept, static_cast<size_t>(length)), kVertex);
    glDeleteObjectARB(first);
    glDeleteObjectARB(second);
}

TEST_F(ShaderTest, CompileErrorInEitherStageGivesZero) {
    enterScratchDataDir({});
    writeFile("good.vp", kVertex);
    writeFile("good.fp", kFragment);
    writeFile("bad.fp", "void main() { gl_FragColor = nonsense; }\n");
    writeFile("bad.vp", "void main() { gl_Position = 1 +; }\n");
    EXPECT_NE(buildShaderProgram("good.vp", "good.fp"), 0u);
    EXPECT_EQ(buildShaderProgram("good.vp", "bad.fp"), 0u);
    EXPECT_EQ(buildShaderProgram("bad.vp", "good.fp"), 0u);
    EXPECT_EQ(buildShaderProgram("good.vp", "missing.fp"), 0u);
    EXPECT_EQ(drainGlErrors(), 0);
}

// Both stages compile, but the tail's fragment stage reads finPos as a vec3
// where the vertex stage writes a vec2, so the pair does not link. Such a
// program cannot be made current; stored as a handle it would leave the
// previous program drawing the tails and raise an error every frame.
TEST_F(ShaderTest, PairThatDoesNotLinkGivesZeroAndTheFrameDrawsWithoutErrors) {
    enterScratchDataDir(dataFilesWithout({"FIN.fp"}));
    writeFile("FIN.fp", "varying vec3 finPos;\nuniform vec4 lawlColor;\n"
                        "void main() { gl_FragColor = lawlColor + vec4(finPos, 0.0); }\n");
    setUpScene();
    EXPECT_EQ(scene.finProgram, 0u);
    EXPECT_NE(scene.fishProgram, 0u);
    renderFrame();
    renderFrame();
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST_F(ShaderTest, ShippedProgramsBuildWithTheirUniforms) {
    buildScenePrograms();
    EXPECT_NE(scene.waterProgram, 0u);
    EXPECT_NE(scene.fishProgram, 0u);
    EXPECT_NE(scene.finProgram, 0u);
    EXPECT_NE(scene.lightProgram, 0u);
    for (GLhandleARB program : {scene.waterProgram, scene.fishProgram, scene.finProgram, scene.lightProgram}) {
        GLint linked = 0;
        glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &linked);
        EXPECT_EQ(linked, 1);
    }
    EXPECT_NE(scene.waveLocation, -1);
    EXPECT_NE(scene.timeLocation, -1);
    EXPECT_NE(scene.fishColorLocation, -1);
    EXPECT_NE(scene.finColorLocation, -1);
    EXPECT_NE(scene.alphaLocation, -1);
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), scene.waterProgram);
    EXPECT_EQ(glGetUniformLocationARB(scene.fishProgram, "notDeclared"), -1);
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST_F(ShaderTest, MissingFragmentFileLeavesOnlyThatProgramZero) {
    enterScratchDataDir(dataFilesWithout({"FEESH.fp"}));
    buildScenePrograms();
    EXPECT_EQ(scene.fishProgram, 0u);
    EXPECT_EQ(scene.fishColorLocation, -1);
    EXPECT_NE(scene.waterProgram, 0u);
    EXPECT_NE(scene.finProgram, 0u);
    EXPECT_NE(scene.lightProgram, 0u);
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST_F(ShaderTest, WithoutShaderObjectsEveryProgramIsZero) {
    disableShaderObjects();
    buildScenePrograms();
    EXPECT_EQ(scene.waterProgram, 0u);
    EXPECT_EQ(scene.fishProgram, 0u);
    EXPECT_EQ(scene.finProgram, 0u);
    EXPECT_EQ(scene.lightProgram, 0u);
    EXPECT_EQ(scene.waveLocation, -1);
    // Uploads with nothing current are skipped rather than raising GL errors.
    uploadUniform1f(scene.alphaLocation, 1.0f);
    useProgram(0);
    EXPECT_EQ(drainGlErrors(), 0);
}

// The uploads skip GL while no program is current, trusting useProgram's
// record of it; the record must not outlive the context that held the
// program. In the new context nothing is current: an upload must not reach GL
// (it would raise GL_INVALID_OPERATION), and the same program built again,
// most likely under the same handle, must really be bound.
namespace {

// Builds the test pair in a scratch folder and makes it current; 0 on failure.
GLhandleARB buildAndUseTestProgram() {
    enterScratchDataDir({});
    writeFile("v.vp", kVertex);
    writeFile("f.fp", kFragment);
    GLhandleARB program = buildShaderProgram("v.vp", "f.fp");
    if (program != 0) {
        useProgram(program);
    }
    return program;
}

} // namespace

TEST_F(ShaderTest, ANewContextStartsWithNoProgramCurrent) {
    GLhandleARB first = buildAndUseTestProgram();
    ASSERT_NE(first, 0u);
    GLint location = findUniformLocation(first, "lawlColor");
    ASSERT_NE(location, -1);

    replaceHeadlessContext();
    ASSERT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
    const float colour[4] = {1.0f, 0.5f, 0.25f, 1.0f};
    uploadUniform4fv(location, colour);
    EXPECT_EQ(drainGlErrors(), 0);

    GLhandleARB again = buildShaderProgram("v.vp", "f.fp");
    ASSERT_NE(again, 0u);
    useProgram(again);
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), again);
    EXPECT_EQ(drainGlErrors(), 0);
}

// Turning the shader objects off mid-run leaves no program bound: the passes
// that follow draw with the fixed-function pipeline, and useProgram(0) can no
// longer unbind anything.
TEST_F(ShaderTest, DisablingShaderObjectsUnbindsTheCurrentProgram) {
    GLhandleARB program = buildAndUseTestProgram();
    ASSERT_NE(program, 0u);
    ASSERT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), program);

    disableShaderObjects();
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
    const float colour[4] = {1.0f, 0.5f, 0.25f, 1.0f};
    uploadUniform4fv(findUniformLocation(program, "lawlColor"), colour);
    EXPECT_EQ(drainGlErrors(), 0);
}

} // namespace
