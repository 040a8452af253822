// F12's picture: the frame as shown, in the pictures folder, never over a
// file that is there, and a folder that cannot take it said in one line.
#include <gtest/gtest.h>

#include <png.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/pictures.h"
#include "assets/png_writer.h"
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

TEST(Pictures, UserDirsValuesAreUnescapedAndRelativeFoldersAreNotUsed) {
    std::string home = makeFolder("-escapes");
    std::string config = home + "/settings";
    fs::create_directories(config);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    unsetenv("XDG_PICTURES_DIR");
    auto writeUserDirs = [](const std::string& folder, const std::string& value) {
        std::ofstream(folder + "/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                  << "XDG_PICTURES_DIR=" << value << "\n";
    };
    writeUserDirs(config, R"("$HOME/My \"Pics\"")");
    EXPECT_EQ(findPicturesFolder(), home + "/My \"Pics\"");
    writeUserDirs(config, R"("$HOME/a\\b \$HOME \`date\`")");
    EXPECT_EQ(findPicturesFolder(), home + "/a\\b $HOME `date`");
    writeUserDirs(config, R"("/srv/Team \"Shots\"")");
    EXPECT_EQ(findPicturesFolder(), "/srv/Team \"Shots\"");
    // An escaped dollar is part of a name, and a name that is not a full
    // path names no folder: HOME is what is left.
    writeUserDirs(config, R"("\$HOME/Pictures")");
    EXPECT_EQ(findPicturesFolder(), home);
    writeUserDirs(config, R"("Pictures")");
    EXPECT_EQ(findPicturesFolder(), home);

    // A relative XDG_PICTURES_DIR is as if it were not set.
    writeUserDirs(config, R"("$HOME/My \"Pics\"")");
    setenv("XDG_PICTURES_DIR", "Pictures", 1);
    EXPECT_EQ(findPicturesFolder(), home + "/My \"Pics\"");
    fs::remove(config + "/user-dirs.dirs");
    EXPECT_EQ(findPicturesFolder(), home);

    // So is a relative XDG_CONFIG_HOME: ~/.config is read instead.
    fs::create_directories(home + "/.config");
    writeUserDirs(home + "/.config", R"("$HOME/Bilder")");
    setenv("XDG_CONFIG_HOME", "settings", 1);
    EXPECT_EQ(findPicturesFolder(), home + "/Bilder");
    fs::remove_all(home);
}

TEST(Pictures, AWriteThatFailsIsSaidByItsReasonAndLibpngSaysNothing) {
    // A picture that fits stdio's buffer fails at the flush; noise, which
    // does not compress, fails at a write.
    for (int size : {1, 64}) {
        std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4);
        uint32_t state = 7u;
        for (uint8_t& value : rgba) {
            state = state * 1664525u + 1013904223u;
            value = static_cast<uint8_t>(state >> 24);
        }
        std::FILE* full = std::fopen("/dev/full", "wb");
        ASSERT_NE(full, nullptr) << "/dev/full cannot be opened";
        std::string why;
        testing::internal::CaptureStderr();
        bool written = writePng(full, size, size, rgba, &why);
        std::string printed = testing::internal::GetCapturedStderr();
        std::fclose(full);
        EXPECT_FALSE(written) << size;
        EXPECT_EQ(why, "No space left on device") << size;
        EXPECT_EQ(printed, "") << size;
    }

    std::string folder = makeFolder("-empty");
    std::string path;
    std::string why;
    EXPECT_FALSE(savePicture(folder, "Marivelle x.png", 0, 0, {}, &path, &why));
    EXPECT_EQ(why, "cannot write the picture " + folder + "/Marivelle x.png: the picture has no pixels to save");
    EXPECT_TRUE(fs::is_empty(folder)) << "the file made for the picture is left";
    fs::remove_all(folder);
}
