#pragma once
// Generator of the demo's binary data files: the sand height map, the sand and
// bubble textures and the 32 caustic frames. Every picture is computed from
// fixed constants, so each run writes the same bytes.
#include <cstdint>
#include <string>
#include <vector>

// Sides of the generated images, in pixels.
constexpr int kHeightMapSide = 1024;
constexpr int kSandSide = 128;
constexpr int kBubbleSide = 32;
constexpr int kCausticSide = 128;
constexpr int kCausticFrameCount = 32;

// The sand bed: kHeightMapSide * kHeightMapSide heights, row after row
// (byte j * 1024 + i is row j, column i).
std::vector<uint8_t> makeHeightMap();

// The whole "Sand.bmp" file: a tileable sandy grain texture, 24-bit BMP.
std::vector<uint8_t> makeSandBmp();

// The whole "Bubble.bmp" file: a bubble with a bright rim on black, 24-bit BMP.
std::vector<uint8_t> makeBubbleBmp();

// The whole file of caustic frame `frame` (0 to 31): an 8-bit greyscale TGA
// that tiles in x and y and whose 32 frames form a closed loop.
std::vector<uint8_t> makeCausticTga(int frame);

// "caust00.tga" to "caust31.tga".
std::string formatCausticFileName(int frame);

// Writes Batman.raw, Sand.bmp, Bubble.bmp and the caustic frames into `dir`.
// Returns false, with a reason in *error when given, if a file can't be written.
bool writeDataFiles(const std::string& dir, std::string* error = nullptr);
