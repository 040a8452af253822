#pragma once
// An off-screen framebuffer with 24 depth and 8 stencil bits, for a window
// whose own pixel format lacks the stencil the water column needs (a
// screensaver daemon picks the visual, not us). Frames are drawn into it and
// copied to the window's back buffer before each swap.

// Whether the driver can: framebuffer objects, packed depth and stencil,
// and framebuffer blits (OpenGL 3.0 or the three EXT extensions).
bool checkOffscreenFrameSupport();
// Makes or remakes the framebuffer at this size and binds it for drawing.
// False when the driver refuses it; the default framebuffer is then bound.
// Leaves no GL error pending: those the set-up raised are its own.
bool resizeOffscreenFrame(int width, int height);
// From now on frames are drawn off-screen, following the window's size.
void useOffscreenFrame();
// Where frames are drawn off-screen, remakes the framebuffer at the window's
// new size. A size the driver refuses is said once on standard error, and
// frames are drawn directly until the size changes.
void followOffscreenFrameSize(int width, int height);
// Copies the finished frame to the window's back buffer and binds the
// framebuffer again for the next frame. Nothing happens before the first
// successful resizeOffscreenFrame.
void presentOffscreenFrame();
