// F12's picture: the frame as shown, in the pictures folder, never over a
// file that is there, and a folder that cannot take it said in one line.
#include <gtest/gtest.h>

#include <png.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/pictures.h"
#include "tests/scene_test_support.h"

namespace fs = std::filesystem;

namespace {

// RGBA rows of a PNG, bottom row first as GL reads them; empty when unreadable.
std::vector<uint8_t> readPng(const std::string& path, int* width, int* height) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint8_t> rgba;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return rgba;
    }
    image.format = PNG_FORMAT_RGBA;
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    rgba.resize(PNG_IMAGE_SIZE(image));
    // A negative stride puts the last row first.
    if (png_image_finish_read(&image, nullptr, rgba.data(), -static_cast<png_int_32>(image.width * 4), nullptr) == 0) {
        rgba.clear();
    }
    return rgba;
}

std::string makeFolder(const std::string& name) {
    std::string folder = (fs::temp_directory_path() / ("marivelle-pictures-" + std::to_string(getpid()) + name)).string();
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

} // namespace

TEST(Pictures, TheSavedPictureIsTheFrameAsShownAndNoFileIsWrittenOver) {
    setUpScene();
    headlessAdvanceSeconds(2.0);
    renderFrame();
    std::vector<uint8_t> frame = readColour();
    int width = 0;
    int height = 0;
    std::vector<uint8_t> shown = readShownPicture(&width, &height);
    ASSERT_EQ(width, kFrameWidth);
    ASSERT_EQ(height, kFrameHeight);

    std::string folder = makeFolder("-save");
    std::tm when = {};
    when.tm_year = 126;
    when.tm_mon = 11;
    when.tm_mday = 8;
    when.tm_hour = 14;
    when.tm_min = 3;
    when.tm_sec = 22;
    std::string name = namePicture(when);
    EXPECT_EQ(name, "Marivelle 2026-12-08 14-03-22.png");
    std::string first, second, why;
    ASSERT_TRUE(savePicture(folder, name, width, height, shown, &first, &why)) << why;
    ASSERT_TRUE(savePicture(folder, name, width, height, shown, &second, &why)) << why;
    EXPECT_EQ(first, folder + "/Marivelle 2026-12-08 14-03-22.png");
    EXPECT_EQ(second, folder + "/Marivelle 2026-12-08 14-03-22 (2).png");

    int w = 0;
    int h = 0;
    std::vector<uint8_t> saved = readPng(first, &w, &h);
    ASSERT_EQ(w, kFrameWidth);
    ASSERT_EQ(h, kFrameHeight);
    long differing = 0;
    for (size_t i = 0; i < frame.size(); i += 4) {
        differing += saved[i] != frame[i] || saved[i + 1] != frame[i + 1] || saved[i + 2] != frame[i + 2] ||
                     saved[i + 3] != 255;
    }
    EXPECT_EQ(differing, 0) << "the saved picture is not the frame";
    EXPECT_EQ(readPng(second, &w, &h), saved);
    EXPECT_EQ(drainGlErrors(), 0);
    fs::remove_all(folder);
}

TEST(Pictures, TheFolderComesFromUserDirsElseHomeAndOneThatCannotTakeItIsSaid) {
    std::string home = makeFolder("-home");
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_PICTURES_DIR");
    EXPECT_EQ(findPicturesFolder(), home);
    fs::create_directories(home + "/.config");
    std::ofstream(home + "/.config/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                    << "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                    << "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    EXPECT_EQ(findPicturesFolder(), home + "/Bilder");
    setenv("XDG_PICTURES_DIR", "/srv/shots", 1);
    EXPECT_EQ(findPicturesFolder(), "/srv/shots");

    std::string path, why;
    std::vector<uint8_t> pixel(4, 255);
    EXPECT_FALSE(savePicture("/dev/null/nowhere", "Marivelle x.png", 1, 1, pixel, &path, &why));
    EXPECT_EQ(why.rfind("cannot save the picture in /dev/null/nowhere: ", 0), 0u) << why;
    EXPECT_EQ(why.find('\n'), std::string::npos);
    fs::remove_all(home);
}
