#include "tests/gl_harness.h"

#include <gtest/gtest.h>
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "assets/shader.h"
#include "platform/gl_api.h"
#include "platform/platform.h"
#include "scene/setup.h"
#include "tests/bmp_bytes.h"

namespace fs = std::filesystem;

namespace {

std::string dataDir() {
    const char* dir = std::getenv("MARIVELLE_TEST_DATA_DIR");
    return dir != nullptr ? dir : MARIVELLE_DEFAULT_DATA_DIR;
}

} // namespace

namespace {

bool ready = false;

// The program deletes what the scene compiled before its context goes; a
// test process ends with its context still up, so it does the same here, or
// LeakSanitizer finds the driver's copies of the compiled geometry.
class ReleaseSceneAtEnd : public ::testing::Environment {
public:
    void TearDown() override {
        if (ready) {
            releaseScene();
        }
    }
};
const ::testing::Environment* const releaseAtEnd = ::testing::AddGlobalTestEnvironment(new ReleaseSceneAtEnd);

} // namespace

void ensureHeadlessContext() {
    if (ready) {
        return;
    }
    if (!platformCreateWindow("Marivelle", kFrameWidth, kFrameHeight)) {
        FAIL() << "headless context: " << platformGetLastError();
    }
    if (chdir(dataDir().c_str()) != 0) {
        FAIL() << "cannot enter " << dataDir();
    }
    ready = true;
}

namespace {

// Keeps every Mesa driver already loaded in memory for the rest of the run.
// Ending the EGL display unloads the driver, and with it the only pointers to
// blocks the driver never frees; LeakSanitizer would then report them as our
// leaks, from a module it can no longer name.
void pinLoadedDrivers() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "/dri/") != nullptr) {
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            }
            return 0;
        },
        nullptr);
}

} // namespace

void replaceHeadlessContext() {
    ensureHeadlessContext();
    pinLoadedDrivers();
    releaseScene();
    platformDestroyWindow();
    if (!platformCreateWindow("Marivelle", kFrameWidth, kFrameHeight)) {
        FAIL() << "headless context: " << platformGetLastError();
    }
}

std::string enterScratchDataDir(const std::vector<std::string>& filesToCopy) {
    ensureHeadlessContext();  // it enters the data folder; the scratch folder must come after
    std::string source = dataDir();
    // Named without rand(), which would shift the scene's own random tables.
    static int serial = 0;
    std::string scratch = (fs::temp_directory_path() /
                           ("marivelle-" + std::to_string(getpid()) + "-" +
                            std::to_string(++serial))).string();
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    for (const auto& name : filesToCopy) {
        fs::copy_file(fs::path(source) / name, fs::path(scratch) / name,
                      fs::copy_options::overwrite_existing);
    }
    if (chdir(scratch.c_str()) != 0) {
        ADD_FAILURE() << "cannot enter " << scratch;
    }
    return scratch;
}

std::vector<std::string> allDataFiles() {
    std::vector<std::string> names = {"Batman.raw", "Sand.bmp", "Bubble.bmp", "Water.vp",
                                      "Water.fp", "FEESH.vp", "FEESH.fp", "FIN.vp",
                                      "FIN.fp", "lux.vp", "lux.fp", "school.vp",
                                      "school.fp", "school_fin.vp", "school_fin.fp"};
    for (int i = 0; i < 32; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "caust%02d.tga", i);
        names.push_back(name);
    }
    return names;
}

std::vector<std::string> dataFilesWithout(const std::vector<std::string>& left) {
    std::vector<std::string> files = allDataFiles();
    for (const auto& name : left) {
        files.erase(std::remove(files.begin(), files.end(), name), files.end());
    }
    return files;
}

void writeBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> solidBmp(int width, int height, uint8_t b, uint8_t g, uint8_t r) {
    int row = (width * 3 + 3) / 4 * 4;
    std::vector<uint8_t> f(static_cast<size_t>(54 + row * height), 0);
    putBmpHeaders(f, width, height, static_cast<uint32_t>(row * height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            size_t at = 54 + static_cast<size_t>(y) * row + x * 3;
            f[at] = b;
            f[at + 1] = g;
            f[at + 2] = r;
        }
    }
    return f;
}

std::vector<uint8_t> readColour() {
    std::vector<uint8_t> pixels(static_cast<size_t>(kFrameWidth) * kFrameHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kFrameWidth, kFrameHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

Rgba pixelAt(const std::vector<uint8_t>& rgba, int x, int y) {
    size_t i = (static_cast<size_t>(y) * kFrameWidth + x) * 4;
    return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
}

std::vector<uint8_t> readStencil() {
    std::vector<uint8_t> values(static_cast<size_t>(kFrameWidth) * kFrameHeight);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kFrameWidth, kFrameHeight, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, values.data());
    return values;
}

bool projectToWindow(float x, float y, float z, float* windowX, float* windowY) {
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble wx, wy, wz;
    if (gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz) != GL_TRUE) {
        return false;
    }
    *windowX = static_cast<float>(wx);
    *windowY = static_cast<float>(wy);
    return wz > 0.0 && wz < 1.0;
}

int drainGlErrors() {
    int count = 0;
    while (glGetError() != GL_NO_ERROR && count < 100) {
        ++count;
    }
    return count;
}
