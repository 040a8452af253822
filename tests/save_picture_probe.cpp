// Saves a picture of noise, which PNG cannot shrink, as F12 does, and reports
// as the program does, for the scripts that save under faults
// (picture_faults_test.sh).
//
// Usage: save_picture_probe FOLDER WIDTH HEIGHT
// Prints the path written and exits 0; else prints one line "Marivelle: "
// and the reason on stderr and exits 1 (2 on a bad command line).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "app/pictures.h"

namespace {

// WIDTH x HEIGHT opaque pixels of the same noise every run.
std::vector<uint8_t> makeNoise(int width, int height) {
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    uint32_t state = 20261208u;
    for (size_t i = 0; i < rgba.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        rgba[i] = i % 4 == 3 ? 255 : static_cast<uint8_t>(state >> 24);
    }
    return rgba;
}

} // namespace

int main(int argc, char** argv) {
    int width = argc == 4 ? std::atoi(argv[2]) : 0;
    int height = argc == 4 ? std::atoi(argv[3]) : 0;
    if (width <= 0 || height <= 0) {
        std::fprintf(stderr, "usage: save_picture_probe FOLDER WIDTH HEIGHT\n");
        return 2;
    }
    std::tm when = {};
    when.tm_year = 126;
    when.tm_mon = 11;
    when.tm_mday = 8;
    when.tm_hour = 14;
    when.tm_min = 3;
    when.tm_sec = 22;
    std::string path;
    std::string why;
    if (!savePicture(argv[1], namePicture(when), width, height, makeNoise(width, height), &path, &why)) {
        std::fprintf(stderr, "Marivelle: %s\n", why.c_str());
        return 1;
    }
    std::printf("%s\n", path.c_str());
    return 0;
}
