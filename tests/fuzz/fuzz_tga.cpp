// Fuzz target for the TGA decoder: an accepted file yields the header's dimensions, the formats of its
// depth and exactly the pixel bytes that follow the header and image ID; a refused one leaves nothing
// allocated but still reports the header's dimensions once the 18 header bytes are there.

#include "assets/image.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kHeaderBytes = 18;

uint16_t le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_tga: %s\n", what);
    std::abort();
}

void check(bool condition, const char* what)
{
    if (!condition) {
        fail(what);
    }
}

// Bytes per pixel and formats for the depth byte; false for a depth no reader may accept.
bool formatsForDepth(unsigned depth, uint64_t* bytesPerPixel, GLenum* pixelFormat, GLenum* internalFormat)
{
    switch (depth) {
    case 8:
        *bytesPerPixel = 1;
        *pixelFormat = GL_LUMINANCE;
        *internalFormat = GL_LUMINANCE8;
        return true;
    case 24:
        *bytesPerPixel = 3;
        *pixelFormat = GL_BGR_EXT;
        *internalFormat = GL_RGB8;
        return true;
    case 32:
        *bytesPerPixel = 4;
        *pixelFormat = GL_BGRA_EXT;
        *internalFormat = GL_RGBA8;
        return true;
    default:
        return false;
    }
}

void checkAccepted(const uint8_t* data, size_t size, const DecodedImage& image)
{
    check(image.pixels != nullptr, "accepted without pixels");
    check(image.width > 0 && image.height > 0, "accepted with a zero side");
    uint64_t bytesPerPixel = 0;
    GLenum pixelFormat = 0;
    GLenum internalFormat = 0;
    check(formatsForDepth(data[16], &bytesPerPixel, &pixelFormat, &internalFormat),
          "accepted a depth other than 8, 24 or 32");
    check(image.pixelFormat == pixelFormat && image.internalFormat == internalFormat,
          "formats do not match the depth");
    const uint64_t offset = kHeaderBytes + data[0];
    const uint64_t pixelBytes =
        static_cast<uint64_t>(image.width) * static_cast<uint64_t>(image.height) * bytesPerPixel;
    check(offset <= size && pixelBytes <= size - offset, "accepted pixels that run past the input");
    // Comparing the whole block also lets AddressSanitizer catch a block smaller than the picture.
    check(std::memcmp(image.pixels, data + offset, static_cast<size_t>(pixelBytes)) == 0,
          "pixel bytes differ from the file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DecodedImage image;
    image.width = -7;  // must be replaced, by zero or by the header's value
    image.height = -7;
    image.pixels = reinterpret_cast<unsigned char*>(&image);
    const bool accepted = decodeTgaImage(data, size, &image);
    if (size >= kHeaderBytes) {
        check(image.width == le16(data + 12) && image.height == le16(data + 14),
              "dimensions differ from the header");
    } else {
        check(image.width == 0 && image.height == 0, "dimensions set without a whole header");
    }
    if (accepted) {
        check(size >= kHeaderBytes, "accepted a file shorter than its header");
        checkAccepted(data, size, image);
        std::free(image.pixels);
    } else {
        check(image.pixels == nullptr, "refused but left a pixel pointer");
    }
    return 0;
}
