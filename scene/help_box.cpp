#include "scene/help_box.h"

#include <algorithm>

#include "platform/gl_api.h"
#include "scene/fps_glyphs.h"

bool helpShown = false;

const std::vector<std::string>& listHelpLines() {
    static const std::vector<std::string> lines = {
        "KEYS",
        "",
        "W S          FORWARD, BACK",
        "Q E          SLIDE LEFT, RIGHT",
        "A D          TURN LEFT, RIGHT",
        "UP DOWN      RISE, SINK",
        "F R          NOSE DOWN, UP",
        "LEFT RIGHT   ROLL",
        "DRAG         TURN, TIP",
        "WHEEL        FORWARD, BACK",
        "SPACE        PAUSE, GO ON",
        "F11          FULLSCREEN",
        "F12          SAVE THE PICTURE",
        "F1 H         THIS HELP",
        "ESC          QUIT",
    };
    return lines;
}

namespace {

GlyphBox placeAtScale(int width, int height, int scale) {
    const std::vector<std::string>& lines = listHelpLines();
    size_t longest = 0;
    for (const std::string& line : lines) {
        longest = std::max(longest, line.size());
    }
    int count = static_cast<int>(lines.size());
    GlyphBox box{};
    box.scale = scale;
    box.lineAdvance = (kGlyphHeight + 3) * box.scale;
    int padding = 6 * box.scale;
    int textWidth = static_cast<int>(longest) * (kGlyphWidth + 1) * box.scale - box.scale;
    int textHeight = (count - 1) * box.lineAdvance + kGlyphHeight * box.scale;
    box.width = textWidth + 2 * padding;
    box.height = textHeight + 2 * padding;
    box.x = (width - box.width) / 2;
    box.y = (height - box.height) / 2;
    box.textX = box.x + padding;
    box.textY = box.y + padding;
    return box;
}

} // namespace

GlyphBox placeHelpBox(int width, int height) {
    // As large as the frame rate's glyphs where it fits, one glyph pixel a
    // screen pixel where it would not.
    GlyphBox box = placeAtScale(width, height, std::max(1, std::min(width, height) / 300));
    if (box.scale > 1 && (box.width > width || box.height > height)) {
        box = placeAtScale(width, height, 1);
    }
    return box;
}

void drawHelpBox() {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    drawGlyphBox(placeHelpBox(viewport[2], viewport[3]), listHelpLines());
}
