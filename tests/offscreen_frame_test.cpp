// The off-screen frame used for windows without enough stencil: it carries
// its own 8 stencil bits and gives the window the frame direct drawing gives.
#include <gtest/gtest.h>

#include "app/offscreen_frame.h"
#include "tests/scene_test_support.h"

namespace {

bool samePixel(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int x, int y) {
    Rgba p = pixelAt(a, x, y);
    Rgba q = pixelAt(b, x, y);
    return p.r == q.r && p.g == q.g && p.b == q.b;
}

} // namespace

TEST(OffscreenFrame, HasItsOwnStencilAndPresentsTheFrameDrawnDirectly) {
    setUpScene();
    ASSERT_TRUE(checkOffscreenFrameSupport());
    // Fish and bubbles move a little on every frame even when no time passes;
    // the pixels two direct frames agree on are the ones to compare.
    renderFrame();
    auto direct = readColour();
    auto directStencil = readStencil();
    renderFrame();
    auto directAgain = readColour();

    ASSERT_TRUE(resizeOffscreenFrame(kFrameWidth, kFrameHeight));
    GLint stencilBits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    EXPECT_GE(stencilBits, 8);
    // The window's own buffer is cleared to magenta, so only the copy can
    // give it the frame.
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    ASSERT_TRUE(resizeOffscreenFrame(kFrameWidth, kFrameHeight));
    renderFrame();
    EXPECT_EQ(readStencil(), directStencil) << "the water column differs off-screen";
    presentOffscreenFrame();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    auto presented = readColour();
    long steady = 0;
    long differing = 0;
    for (int y = 0; y < kFrameHeight; ++y) {
        for (int x = 0; x < kFrameWidth; ++x) {
            if (samePixel(direct, directAgain, x, y)) {
                ++steady;
                differing += !samePixel(direct, presented, x, y);
            }
        }
    }
    EXPECT_GT(steady, kFrameWidth * kFrameHeight * 3 / 4);
    // A few pixels still change as the fish move on; a missing copy or a
    // water column that spills would change many thousands.
    EXPECT_LT(differing, steady / 1000);
    EXPECT_EQ(drainGlErrors(), 0);
}
