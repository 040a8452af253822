#include "scene/fps_overlay.h"

#include <algorithm>
#include <cstdio>

#include "assets/shader.h"
#include "platform/gl_api.h"
#include "scene/fps_glyphs.h"

namespace {

const float kBoxColour[3] = {0.05f, 0.05f, 0.08f};
const float kDigitColour[3] = {0.95f, 0.95f, 0.85f};

// Turns off everything between a flat colour and the frame: texturing on
// every unit, lighting, fog, programs, the depth, stencil, alpha and scissor
// tests, blending, culling and clip planes. The caller saved all of it.
void useFlatColourState() {
    if (checkShaderObjectSupport()) {
        glUseProgramObjectARB(0);
    }
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    for (int unit = units - 1; unit >= 0; --unit) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        glDisable(GL_TEXTURE_1D);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_3D);
        glDisable(GL_TEXTURE_CUBE_MAP);
    }
    for (GLenum cap : {GL_LIGHTING, GL_FOG, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_ALPHA_TEST, GL_SCISSOR_TEST,
                       GL_BLEND, GL_CULL_FACE, GL_COLOR_LOGIC_OP, GL_POLYGON_STIPPLE, GL_POLYGON_SMOOTH,
                       GL_MULTISAMPLE, GL_COLOR_MATERIAL}) {
        glDisable(cap);
    }
    GLint planes = 0;
    glGetIntegerv(GL_MAX_CLIP_PLANES, &planes);
    for (int i = 0; i < planes; ++i) {
        glDisable(GL_CLIP_PLANE0 + static_cast<GLenum>(i));
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glShadeModel(GL_FLAT);
}

void fillRect(int x, int y, int width, int height) {
    glVertex2i(x, y);
    glVertex2i(x + width, y);
    glVertex2i(x + width, y + height);
    glVertex2i(x, y + height);
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

void drawFpsOverlay(double rate) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::string text = formatFrameRate(rate);
    OverlayPlace p = placeFpsOverlay(viewport[2], viewport[3], text);

    GLhandleARB program = checkShaderObjectSupport() ? glGetHandleARB(GL_PROGRAM_OBJECT_ARB) : 0;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, viewport[2], 0.0, viewport[3], -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    useFlatColourState();

    glBegin(GL_QUADS);
    glColor3fv(kBoxColour);
    fillRect(p.x, p.y, p.width, p.height);
    glColor3fv(kDigitColour);
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t* rows = findGlyph(text[i]);
        int left = p.textX + static_cast<int>(i) * p.advance;
        for (int row = 0; row < kGlyphHeight; ++row) {
            int bottom = p.textY + (kGlyphHeight - 1 - row) * p.scale;
            for (int column = 0; column < kGlyphWidth; ++column) {
                if (rows[row] & (0x10 >> column)) {
                    fillRect(left + column * p.scale, bottom, p.scale, p.scale);
                }
            }
        }
    }
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
    if (checkShaderObjectSupport()) {
        glUseProgramObjectARB(program);
    }
}
