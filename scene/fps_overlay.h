#pragma once
// The frame rate drawn over the picture: light digits on a dark box in the
// top left corner, drawn with the program's own glyphs, so it needs no font
// and works wherever the scene draws.
#include <string>
#include <vector>

// The text drawn for a rate: one decimal and " fps", e.g. "59.9 fps".
std::string formatFrameRate(double rate);

// Where the overlay lies in a viewport of WIDTH x HEIGHT pixels, in pixels
// from its bottom left corner, and the size of one glyph pixel.
struct OverlayPlace {
    int x, y, width, height;  // the dark box
    int textX, textY;         // the bottom left corner of the first glyph
    int scale;                // screen pixels per glyph pixel, side by side
    int advance;              // from one glyph to the next
};
OverlayPlace placeFpsOverlay(int width, int height, const std::string& text);

// Draws the rate over the current viewport as two bitmaps (the box, then the
// glyphs) placed with glWindowPos, so no matrix and no vertex is involved.
// Leaves every piece of GL state as it found it: the attribute groups, the
// pixel-store state and the current program are saved and restored.
void drawFpsOverlay(double rate);

// A dark box with lines of glyphs in it, in pixels from the viewport's bottom
// left corner: the box, the bottom left corner of the lowest line's first
// glyph, screen pixels per glyph pixel, and from one line's bottom to the next.
struct GlyphBox {
    int x, y, width, height;
    int textX, textY;
    int scale;
    int lineAdvance;
};
// Draws LINES (the first at the top) light on the dark box, as bitmaps placed
// with glWindowPos, leaving every piece of GL state as it found it.
void drawGlyphBox(const GlyphBox& box, const std::vector<std::string>& lines);
