#pragma once
// The program's own bitmap font for what is drawn over the picture: 5 x 7
// pixels a glyph, enough for a rate such as "59.9 fps" and for the help box
// in capitals.
#include <cstdint>

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

// The glyph's rows, top row first; bit 4 of a row is its leftmost pixel.
// Characters without a glyph (and ' ') give a blank one.
const uint8_t* findGlyph(char c);
