#pragma once
#include <cstddef>
#include <epoxy/gl.h>   // GL enumerants only (GL_BGR_EXT, GL_BGRA_EXT, GL_LUMINANCE, GL_RGB, GL_RGB8, GL_RGBA8, GL_LUMINANCE8)

// A decoded image: pixels is one malloc'd block owned by whoever holds the image (uploadMipmappedImage frees it).
struct DecodedImage {
    int width = 0;            // pixels per row
    int height = 0;           // rows
    GLenum pixelFormat = GL_BGR_EXT;
    GLenum internalFormat = GL_RGB8;
    unsigned char* pixels = nullptr;
};

// Largest width or height a BMP may declare; larger headers are refused before anything is allocated.
constexpr int kMaxBmpSide = 16384;

// Largest image file the readers take in; a 16384 x 16384 picture of 4 bytes per pixel plus generous header room.
constexpr unsigned long long kMaxImageFileBytes = (1ULL << 30) + (1ULL << 20);

// Decodes an uncompressed 24-bit BMP held in bytes[0, length). On success image holds a malloc'd block of
// height rows, bottom row first, each row width * 3 bytes in blue-green-red order padded to a multiple of
// 4 bytes; height is positive (top-down files are reordered) and the formats are GL_BGR_EXT / GL_RGB.
// On failure returns false with image->pixels nullptr and nothing allocated; whatever image->pixels held
// before the call is overwritten, never freed.
bool decodeBmpImage(const unsigned char* bytes, size_t length, DecodedImage* image);

// Decodes an uncompressed true-colour (24 or 32 bits) or greyscale (8 bits) TGA held in bytes[0, length).
// The image starts as width = height = 0 with GL_BGR_EXT / GL_RGB8; width and height take the header's
// values once the header is in, even when the file is refused afterwards. On success the pixels are the
// file's bytes in the file's own row order, unconverted, in a malloc'd block. On failure returns false with
// image->pixels nullptr and nothing allocated.
bool decodeTgaImage(const unsigned char* bytes, size_t length, DecodedImage* image);

// Reads and decodes a BMP file (name relative to the working directory). Shows no message; the file is
// closed and every temporary buffer released on every path.
bool readBmpImage(const char* fileName, DecodedImage* image);   // file relative to the working directory

// Reads and decodes a TGA file, same contract as readBmpImage; the result is reset (see decodeTgaImage)
// before the file is opened.
bool readTgaImage(const char* fileName, DecodedImage* image);
