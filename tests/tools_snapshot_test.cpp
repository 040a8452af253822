// The snapshot tool against a frame rendered here at the same time and pose.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/scene_test_support.h"
#include "tests/snapshot_support.h"
#include "camera/tour.h"
#include "scene/fps_glyphs.h"
#include "scene/fps_overlay.h"
#include "tools/camera_poses.h"

namespace {

TEST(SnapshotTool, WritesAPngOfTheRequestedSize) {
    std::string path = runSnapshot("--size 320x200 --time 0.5 --frames 5 --pose side");
    Picture picture;
    ASSERT_TRUE(readPng(path, &picture));
    EXPECT_EQ(picture.width, 320);
    EXPECT_EQ(picture.height, 200);
    long lit = 0;
    for (size_t i = 0; i < picture.rgba.size(); i += 4) lit += picture.rgba[i + 1] > 60;
    EXPECT_GT(lit, 2000);
    std::remove(path.c_str());
}

// Renders FRAMES frames over SECONDS here as the tool does, with the pose or
// the tour, and counts the pixels that differ from the tool's picture. With
// OVERLAID the frame rate is drawn over every frame but the last.
long countDifferencesFromHere(const std::string& path, const char* poseName, bool flyTour, int frames,
                              double seconds, bool overlaid = false) {
    Picture picture;
    EXPECT_TRUE(readPng(path, &picture));
    EXPECT_EQ(picture.width, kFrameWidth);
    EXPECT_EQ(picture.height, kFrameHeight);
    if (picture.width != kFrameWidth || picture.height != kFrameHeight) {
        return -1;
    }
    setUpScene();
    Pose pose;
    EXPECT_TRUE(findCameraPose(poseName, &pose));
    camera = pose;
    if (flyTour) {
        startTour(false);
    }
    for (int i = 0; i < frames; ++i) {
        updateTourOrCamera();
        renderFrame();
        if (overlaid && i + 1 < frames) {
            drawFpsOverlay(59.9);
        }
        headlessAdvanceSeconds(seconds / frames);
    }
    auto here = readColour();
    long differing = 0;
    for (int y = 0; y < kFrameHeight; ++y) {
        for (int x = 0; x < kFrameWidth; ++x) {
            const uint8_t* a = &picture.rgba[(static_cast<size_t>(kFrameHeight - 1 - y) * kFrameWidth + x) * 4];
            Rgba b = pixelAt(here, x, y);
            differing += a[0] != b.r || a[1] != b.g || a[2] != b.b;
        }
    }
    return differing;
}

TEST(SnapshotTool, TourShowsTheTourAtThatTime) {
    std::string path = runSnapshot("--time 7 --frames 14 --tour");
    EXPECT_EQ(countDifferencesFromHere(path, "start", true, 14, 7.0), 0);
    std::remove(path.c_str());
}

TEST(SnapshotTool, MatchesAFrameRenderedHere) {
    std::string path = runSnapshot("--time 1.2 --frames 12 --pose close");
    EXPECT_EQ(countDifferencesFromHere(path, "close", false, 12, 1.2), 0);
    std::remove(path.c_str());
}

bool readSnapshot(const std::string& arguments, Picture* picture) {
    std::string path = runSnapshot(arguments);
    bool read = readPng(path, picture);
    std::remove(path.c_str());
    return read;
}

TEST(SnapshotTool, SpeedScalesTimeAndTheDefaultsChangeNothing) {
    // Along the tour, so the tour's clock counts too; 0.25 s steps, whole
    // ticks at either speed. 12 frames at speed 2 stand for 23 at speed 1.
    Picture doubled, later, plain, defaults;
    ASSERT_TRUE(readSnapshot("--tour --time 3 --frames 12 --speed 2", &doubled));
    ASSERT_TRUE(readSnapshot("--tour --time 5.75 --frames 23", &later));
    EXPECT_TRUE(doubled.rgba == later.rgba) << "speed 2 at 3 s differs from speed 1 at 5.75 s";
    ASSERT_TRUE(readSnapshot("--tour --time 3 --frames 12", &plain));
    EXPECT_FALSE(plain.rgba == later.rgba);
    ASSERT_TRUE(readSnapshot("--tour --time 3 --frames 12 --speed 1 --fish 50", &defaults));
    EXPECT_TRUE(defaults.rgba == plain.rgba) << "--speed 1 --fish 50 changes the picture";
}

// Pixels of two pictures of one size with a channel more than LEVELS apart.
long countDifferingPixels(const Picture& a, const Picture& b, int levels) {
    long differing = 0;
    for (size_t i = 0; i < a.rgba.size(); i += 4) {
        bool apart = false;
        for (size_t c = i; c < i + 3; ++c) apart |= std::abs(a.rgba[c] - b.rgba[c]) > levels;
        differing += apart;
    }
    return differing;
}

TEST(SnapshotTool, AtThirtyFramesASecondSpeedXShowsWhatXTimesTheFramesShowAtSpeedOne) {
    // Frames of 1/30 s: at speed 1 every frame opens the bubbles' and the
    // caustics' gate once; N frames at speed X end where X (N - 1) + 1 do at
    // speed 1, 4 s of scene time in.
    Picture once, doubled, fourfold;
    ASSERT_TRUE(readSnapshot("--pose side --time 4.0333333333333333 --frames 121", &once));
    ASSERT_TRUE(readSnapshot("--pose side --time 2.0333333333333333 --frames 61 --speed 2", &doubled));
    ASSERT_TRUE(readSnapshot("--pose side --time 1.0333333333333333 --frames 31 --speed 4", &fourfold));
    ASSERT_EQ(doubled.rgba.size(), once.rgba.size());
    ASSERT_EQ(fourfold.rgba.size(), once.rgba.size());
    // Not all equal: a frame's fish turn rounds once where two or four frames
    // round it twice or four times, and llvmpipe's pixels move with the
    // frames drawn before (one more frame of the same moment moves 100 to
    // 1500 here). Both shift shading by a level or two and leave a few dozen
    // edge pixels apart; a gate held to a step a frame moves tens of thousands.
    EXPECT_LT(countDifferingPixels(doubled, once, 8), 100);
    EXPECT_LT(countDifferingPixels(fourfold, once, 8), 100);
}

TEST(SnapshotTool, DrawnFrameRateLeavesTheNextFrameAsItWas) {
    std::string path = runSnapshot("--time 1.2 --frames 12 --pose close");
    EXPECT_EQ(countDifferencesFromHere(path, "close", false, 12, 1.2, true), 0);
    std::remove(path.c_str());
}

TEST(SnapshotTool, DrawsTheFrameRateInTheTopLeftCornerAndNothingElse) {
    // 60 frames in 2 s of driven time: 30 a second.
    Picture plain, shown;
    ASSERT_TRUE(readSnapshot("--time 2 --frames 60 --pose side", &plain));
    ASSERT_TRUE(readSnapshot("--time 2 --frames 60 --pose side --show-fps", &shown));
    ASSERT_EQ(shown.rgba.size(), plain.rgba.size());

    std::string text = "30.0 fps";
    OverlayPlace box = placeFpsOverlay(plain.width, plain.height, text);
    EXPECT_LT(box.x + box.width, plain.width / 4);
    EXPECT_GT(box.y, plain.height * 9 / 10);
    int lit = 0;
    for (int y = 0; y < plain.height; ++y) {
        for (int x = 0; x < plain.width; ++x) {
            size_t at = (static_cast<size_t>(plain.height - 1 - y) * plain.width + x) * 4;
            bool inBox = x >= box.x && x < box.x + box.width && y >= box.y && y < box.y + box.height;
            if (!inBox) {
                ASSERT_TRUE(std::equal(&shown.rgba[at], &shown.rgba[at] + 4, &plain.rgba[at])) << x << "," << y;
                continue;
            }
            // Inside the box: the glyph pixel this screen pixel shows, if any.
            int gx = (x - box.textX) / box.scale, gy = (y - box.textY) / box.scale;
            int glyph = x >= box.textX ? gx / (kGlyphWidth + 1) : -1;
            int column = x >= box.textX ? gx % (kGlyphWidth + 1) : -1;
            bool on = glyph >= 0 && glyph < static_cast<int>(text.size()) && column < kGlyphWidth && y >= box.textY &&
                      gy < kGlyphHeight && (findGlyph(text[glyph])[kGlyphHeight - 1 - gy] & (0x10 >> column));
            int brightness = shown.rgba[at] + shown.rgba[at + 1] + shown.rgba[at + 2];
            ASSERT_EQ(brightness > 500, on) << x << "," << y << " brightness " << brightness;
            ASSERT_TRUE(on || brightness < 60) << x << "," << y << " brightness " << brightness;
            lit += on;
        }
    }
    EXPECT_GT(lit, 100);
}

} // namespace
