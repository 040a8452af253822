#pragma once
// Turning decoded images into mipmapped textures.
#include "assets/image.h"
#include "platform/gl_api.h"

// The message shown when a texture image cannot be read.
extern const char* const kMissingImageMessage;

// Builds the full mipmap chain of the image into the texture bound to
// GL_TEXTURE_2D on the active unit, frees the image's pixels, and sets trilinear
// filtering and the wrap mode on s and t. The unpack alignment stays set.
void uploadMipmappedImage(DecodedImage& image, int unpackAlignment, GLint wrapMode);
// Reads a BMP into the bound texture (alignment 4, clamp to edge). On a read
// failure shows the message box, leaves the texture untouched, returns false.
bool loadBmpTexture(const char* fileName);
