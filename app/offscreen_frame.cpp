#include "app/offscreen_frame.h"

#include <cstdio>

#include "platform/gl_api.h"

namespace {

// Valid after a successful resizeOffscreenFrame, for the current context.
struct OffscreenFrame {
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depthStencil = 0;
    int width = 0;
    int height = 0;
};
OffscreenFrame offscreen;
// Whether frames go off-screen at all, and whether the driver refused the
// size asked for last.
bool inUse = false;
bool refused = false;

void releaseOffscreenFrame() {
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    if (offscreen.framebuffer != 0) {
        glDeleteFramebuffersEXT(1, &offscreen.framebuffer);
        glDeleteRenderbuffersEXT(1, &offscreen.colour);
        glDeleteRenderbuffersEXT(1, &offscreen.depthStencil);
    }
    offscreen = OffscreenFrame{};
}

} // namespace

bool checkOffscreenFrameSupport() {
    if (epoxy_gl_version() >= 30) {
        return true;
    }
    return epoxy_has_gl_extension("GL_EXT_framebuffer_object") &&
           epoxy_has_gl_extension("GL_EXT_packed_depth_stencil") &&
           epoxy_has_gl_extension("GL_EXT_framebuffer_blit");
}

bool resizeOffscreenFrame(int width, int height) {
    releaseOffscreenFrame();
    // A minimised window reports 0; a framebuffer needs at least one pixel.
    width = width > 0 ? width : 1;
    height = height > 0 ? height : 1;
    glGenFramebuffersEXT(1, &offscreen.framebuffer);
    glGenRenderbuffersEXT(1, &offscreen.colour);
    glGenRenderbuffersEXT(1, &offscreen.depthStencil);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, offscreen.colour);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_RGBA8, width, height);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, offscreen.depthStencil);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH24_STENCIL8_EXT, width, height);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, offscreen.framebuffer);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT, offscreen.colour);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                 offscreen.depthStencil);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_STENCIL_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                 offscreen.depthStencil);
    bool complete = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
    if (!complete) {
        releaseOffscreenFrame();
    }
    // A size the driver refuses raises GL_INVALID_VALUE in the storage calls:
    // the refusal is the answer, taken here, so that the next frame reports
    // only errors of its own.
    while (glGetError() != GL_NO_ERROR) {
    }
    if (!complete) {
        return false;
    }
    offscreen.width = width;
    offscreen.height = height;
    return true;
}

void useOffscreenFrame() { inUse = true; }

void followOffscreenFrameSize(int width, int height) {
    if (!inUse) {
        return;
    }
    bool refusedNow = !resizeOffscreenFrame(width, height);
    if (refusedNow && !refused) {
        std::fprintf(stderr,
                     "Marivelle: the driver refused an off-screen frame of %d x %d; drawing directly until the size "
                     "changes\n",
                     width, height);
    }
    refused = refusedNow;
}

void presentOffscreenFrame() {
    if (offscreen.framebuffer == 0) {
        return;
    }
    glBindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, offscreen.framebuffer);
    glBindFramebufferEXT(GL_DRAW_FRAMEBUFFER_EXT, 0);
    glBlitFramebufferEXT(0, 0, offscreen.width, offscreen.height, 0, 0, offscreen.width, offscreen.height,
                         GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, offscreen.framebuffer);
}
