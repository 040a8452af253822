#pragma once
// Headless rendering for tests: one 800 x 600 context per test process, the
// scene's data folder as the working directory, and pixel read-back.
#include <cstdint>
#include <string>
#include <vector>

struct Rgba {
    int r, g, b, a;
};

constexpr int kFrameWidth = 800;
constexpr int kFrameHeight = 600;

// Creates the context once (aborting the test on failure) and enters the
// folder given by MARIVELLE_TEST_DATA_DIR, where the data files lie.
void ensureHeadlessContext();
// Destroys the context and creates a fresh one, as a program that closes its
// window and opens another does (the GL objects made so far go with the old
// one).
void replaceHeadlessContext();
// Changes into a fresh empty folder and copies the named data files into it,
// so a test can run the set-up with files left out or replaced.
std::string enterScratchDataDir(const std::vector<std::string>& filesToCopy);
// Every data file name the program reads.
std::vector<std::string> allDataFiles();
// Every data file name but the ones given.
std::vector<std::string> dataFilesWithout(const std::vector<std::string>& left);
// Writes the bytes to a file in the current folder.
void writeBytes(const std::string& name, const std::vector<uint8_t>& bytes);
// A 24-bit BMP of one colour, width x height, bottom-up, as an ordinary
// writer makes it.
std::vector<uint8_t> solidBmp(int width, int height, uint8_t b, uint8_t g, uint8_t r);
// Reads the colour buffer: row 0 is the bottom of the frame.
std::vector<uint8_t> readColour();
Rgba pixelAt(const std::vector<uint8_t>& rgba, int x, int y);
// Reads the stencil buffer, one byte per pixel, row 0 at the bottom.
std::vector<uint8_t> readStencil();
// Where a point in world coordinates lands in window pixels, by the current
// projection and model-view matrices; false when behind the eye.
bool projectToWindow(float x, float y, float z, float* windowX, float* windowY);
// The number of GL errors pending (and clears them).
int drainGlErrors();
