// The help box: every key in the program's glyphs, over the picture and
// nowhere outside its box.
#include <gtest/gtest.h>

#include "scene/fps_glyphs.h"
#include "scene/help_box.h"
#include "tests/scene_test_support.h"

TEST(HelpBox, ListsTheKeysInsideItsBoxAndTouchesNothingElse) {
    setUpScene();
    renderFrame();
    headlessAdvanceSeconds(0.5);
    renderFrame();
    std::vector<uint8_t> plain = readColour();
    renderRepeatedFrame();
    drawHelpBox();
    std::vector<uint8_t> helped = readColour();
    GlyphBox box = placeHelpBox(kFrameWidth, kFrameHeight);
    ASSERT_GT(box.width, 0);
    EXPECT_LE(box.x + box.width, kFrameWidth);
    EXPECT_LE(box.y + box.height, kFrameHeight);
    long outside = 0;
    long light = 0;
    long dark = 0;
    for (int y = 0; y < kFrameHeight; ++y) {
        for (int x = 0; x < kFrameWidth; ++x) {
            Rgba a = pixelAt(plain, x, y);
            Rgba b = pixelAt(helped, x, y);
            bool inside = x >= box.x && x < box.x + box.width && y >= box.y && y < box.y + box.height;
            if (!inside) {
                outside += a.r != b.r || a.g != b.g || a.b != b.b;
            } else if (b.r > 200 && b.g > 200) {
                ++light;
            } else if (b.r < 30 && b.g < 30 && b.b < 40) {
                ++dark;
            }
        }
    }
    EXPECT_EQ(outside, 0) << "the help box reaches outside its box";
    // Glyphs on a dark ground: the lines' strokes, a few thousand pixels.
    EXPECT_GT(light, 3000);
    EXPECT_GT(dark, light);
    EXPECT_EQ(light + dark, static_cast<long>(box.width) * box.height) << "the box shows the picture through";
    // Every line's every character has a glyph: none falls back to blank.
    for (const std::string& line : listHelpLines()) {
        for (char c : line) {
            if (c != ' ') {
                const uint8_t* rows = findGlyph(c);
                int bits = 0;
                for (int r = 0; r < kGlyphHeight; ++r) bits |= rows[r];
                EXPECT_NE(bits, 0) << "no glyph for '" << c << "' in " << line;
            }
        }
    }
    EXPECT_EQ(drainGlErrors(), 0);
}

TEST(HelpBox, FitsASmallWindowWithSmallerGlyphs) {
    GlyphBox large = placeHelpBox(800, 600);
    GlyphBox small = placeHelpBox(320, 240);
    EXPECT_EQ(large.scale, 2);
    EXPECT_EQ(small.scale, 1);
    EXPECT_LE(small.width, 320);
    EXPECT_LE(small.height, 240);
    EXPECT_GE(small.x, 0);
    EXPECT_GE(small.y, 0);
}
