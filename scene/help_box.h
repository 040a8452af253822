#pragma once
// The help box (F1 or H): every key and the mouse, in the program's own
// glyphs on a dark box in the middle of the picture. Off at start.
#include <string>
#include <vector>

#include "scene/fps_overlay.h"

extern bool helpShown;

// The box's lines, the first at the top.
const std::vector<std::string>& listHelpLines();
// Where the box lies in a viewport of WIDTH x HEIGHT pixels: centred, glyphs
// as large as the frame-rate overlay's, one glyph pixel for a small window.
GlyphBox placeHelpBox(int width, int height);
// Draws the box over the current viewport, state left as it was.
void drawHelpBox();
