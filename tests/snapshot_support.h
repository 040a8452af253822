#pragma once
// The snapshot tool run from a test, and its PNG read back.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // top row first
};

inline bool readPng(const std::string& path, Picture* picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGBA;
    picture->width = static_cast<int>(image.width);
    picture->height = static_cast<int>(image.height);
    picture->rgba.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, picture->rgba.data(), 0, nullptr) != 0;
}

// Runs the tool on the data folder with ARGUMENTS, its command line led by
// PREFIX (an "env ..." that changes its environment, say); the PNG's path.
inline std::string runSnapshot(const std::string& arguments, const std::string& prefix = "") {
    std::string out = "/tmp/marivelle-snapshot-" + std::to_string(getpid()) + ".png";
    std::string command = prefix + std::string(MARIVELLE_SNAPSHOT_TOOL) + " " + out + " --data " +
                          MARIVELLE_DEFAULT_DATA_DIR + " " + arguments;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return out;
}
