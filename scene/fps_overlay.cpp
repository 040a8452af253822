#include "scene/fps_overlay.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "assets/shader.h"
#include "platform/gl_api.h"
#include "scene/fps_glyphs.h"

namespace {

const float kBoxColour[3] = {0.05f, 0.05f, 0.08f};
const float kDigitColour[3] = {0.95f, 0.95f, 0.85f};

// Turns off everything that could change a bitmap's fragments on their way
// to the colour buffer: programs, texturing on every unit, fog, the colour
// sum, the alpha, stencil, depth and scissor tests, blending, the logic op,
// multisampling and the colour mask. The caller saved all of it.
void useFlatColourState() {
    if (checkShaderObjectSupport()) {
        glUseProgramObjectARB(0);
    }
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    for (int unit = units - 1; unit >= 0; --unit) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        for (GLenum target : {GL_TEXTURE_1D, GL_TEXTURE_2D, GL_TEXTURE_3D, GL_TEXTURE_CUBE_MAP}) {
            glDisable(target);
        }
    }
    for (GLenum cap : {GL_FOG, GL_COLOR_SUM, GL_ALPHA_TEST, GL_STENCIL_TEST, GL_DEPTH_TEST, GL_SCISSOR_TEST,
                       GL_BLEND, GL_COLOR_LOGIC_OP, GL_MULTISAMPLE}) {
        glDisable(cap);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

// One bit a pixel, rows bottom first, each row whole bytes with the leftmost
// pixel in the top bit: glBitmap's layout with an unpack alignment of 1.
struct Bitmap {
    int width, height, rowBytes;
    std::vector<GLubyte> bits;
};

Bitmap makeBitmap(int width, int height) {
    int rowBytes = (width + 7) / 8;
    return {width, height, rowBytes, std::vector<GLubyte>(static_cast<size_t>(rowBytes) * height, 0)};
}

void setBit(Bitmap& bitmap, int x, int y) {
    bitmap.bits[static_cast<size_t>(y) * bitmap.rowBytes + x / 8] |= static_cast<GLubyte>(0x80 >> (x % 8));
}

// The lines' glyphs, each glyph pixel SCALE x SCALE bitmap pixels, the first
// line at the top, lines LINEADVANCE pixels apart.
Bitmap renderLines(const std::vector<std::string>& lines, int scale, int advance, int lineAdvance) {
    size_t longest = 0;
    for (const std::string& line : lines) {
        longest = std::max(longest, line.size());
    }
    int count = static_cast<int>(lines.size());
    Bitmap bitmap = makeBitmap(static_cast<int>(longest) * advance, (count - 1) * lineAdvance + kGlyphHeight * scale);
    for (int k = 0; k < count; ++k) {
        int bottom = (count - 1 - k) * lineAdvance;
        const std::string& text = lines[static_cast<size_t>(k)];
        for (size_t i = 0; i < text.size(); ++i) {
            const uint8_t* rows = findGlyph(text[i]);
            for (int y = 0; y < kGlyphHeight * scale; ++y) {
                int row = kGlyphHeight - 1 - y / scale;  // glyph rows run top first
                for (int x = 0; x < kGlyphWidth * scale; ++x) {
                    if (rows[row] & (0x10 >> (x / scale))) {
                        setBit(bitmap, static_cast<int>(i) * advance + x, bottom + y);
                    }
                }
            }
        }
    }
    return bitmap;
}

// Draws the bitmap's set pixels in COLOUR with their bottom left corner at
// window pixel (x, y).
void drawBitmapAt(const Bitmap& bitmap, const float* colour, int x, int y) {
    // The raster colour is taken from the current colour when the position is set.
    glColor3fv(colour);
    glWindowPos2i(x, y);
    glBitmap(bitmap.width, bitmap.height, 0.0f, 0.0f, 0.0f, 0.0f, bitmap.bits.data());
}

} // namespace

std::string formatFrameRate(double rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f fps", std::min(rate, 99999.0));
    return text;
}

OverlayPlace placeFpsOverlay(int width, int height, const std::string& text) {
    OverlayPlace p{};
    // Two glyph pixels to a screen pixel in the 800 x 600 window, more on
    // larger screens, one on tiny ones.
    p.scale = std::max(1, std::min(width, height) / 300);
    p.advance = (kGlyphWidth + 1) * p.scale;
    int padding = 2 * p.scale;
    int margin = 3 * p.scale;
    p.width = static_cast<int>(text.size()) * p.advance - p.scale + 2 * padding;
    p.height = kGlyphHeight * p.scale + 2 * padding;
    p.x = margin;
    p.y = height - margin - p.height;
    p.textX = p.x + padding;
    p.textY = p.y + padding;
    return p;
}

void drawGlyphBox(const GlyphBox& box, const std::vector<std::string>& lines) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    Bitmap dark = makeBitmap(box.width, box.height);
    std::fill(dark.bits.begin(), dark.bits.end(), 0xff);
    Bitmap glyphs = renderLines(lines, box.scale, (kGlyphWidth + 1) * box.scale, box.lineAdvance);

    GLhandleARB program = checkShaderObjectSupport() ? glGetHandleARB(GL_PROGRAM_OBJECT_ARB) : 0;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    useFlatColourState();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    drawBitmapAt(dark, kBoxColour, viewport[0] + box.x, viewport[1] + box.y);
    drawBitmapAt(glyphs, kDigitColour, viewport[0] + box.textX, viewport[1] + box.textY);
    glPopClientAttrib();
    glPopAttrib();
    if (checkShaderObjectSupport()) {
        glUseProgramObjectARB(program);
    }
}

void drawFpsOverlay(double rate) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::string text = formatFrameRate(rate);
    OverlayPlace p = placeFpsOverlay(viewport[2], viewport[3], text);
    drawGlyphBox({p.x, p.y, p.width, p.height, p.textX, p.textY, p.scale, 0}, {text});
}
