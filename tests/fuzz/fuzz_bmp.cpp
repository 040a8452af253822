// Fuzz target for the BMP decoder: any byte string either decodes to a picture that lies wholly inside the
// input, in the row order the decoder promises, or is refused with nothing allocated.

#include "assets/image.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

uint32_t le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_bmp: %s\n", what);
    std::abort();
}

void check(bool condition, const char* what)
{
    if (!condition) {
        fail(what);
    }
}

// An accepted file: the header fields that decide acceptance are what the decoder took, and every row of
// the block is the matching row of the file (bottom row first, so a top-down file comes out reversed).
// Reading the whole block also lets AddressSanitizer catch a block smaller than the picture.
void checkAccepted(const uint8_t* data, size_t size, const DecodedImage& image)
{
    check(image.pixels != nullptr, "accepted without pixels");
    check(image.width > 0 && image.height > 0, "accepted with a non-positive side");
    check(image.width <= kMaxBmpSide && image.height <= kMaxBmpSide, "accepted a side above the limit");
    check(image.pixelFormat == GL_BGR_EXT && image.internalFormat == GL_RGB, "wrong formats");
    check(size >= 38 && data[0] == 'B' && data[1] == 'M', "accepted without the BM signature");
    check(le16(data + 28) == 24, "accepted a depth other than 24");

    const int32_t storedWidth = static_cast<int32_t>(le32(data + 18));
    const int32_t storedHeight = static_cast<int32_t>(le32(data + 22));
    check(storedWidth == image.width, "width differs from the header");
    const bool topDown = storedHeight < 0;
    check((topDown ? -static_cast<int64_t>(storedHeight) : storedHeight) == image.height,
          "height differs from the header");

    const uint64_t rowBytes = (static_cast<uint64_t>(image.width) * 3 + 3) / 4 * 4;
    const uint64_t rows = static_cast<uint64_t>(image.height);
    const uint64_t offset = le32(data + 10);
    check(offset >= 38, "accepted a pixel offset inside the header fields");
    check(offset <= size && rowBytes * rows <= size - offset, "accepted rows that run past the input");
    for (uint64_t row = 0; row < rows; ++row) {
        const uint64_t fileRow = topDown ? rows - 1 - row : row;
        if (std::memcmp(image.pixels + row * rowBytes, data + offset + fileRow * rowBytes, rowBytes) != 0) {
            fail("a row of the block differs from the file");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DecodedImage image;
    image.pixels = reinterpret_cast<unsigned char*>(&image);  // a refusal must not leave this behind
    if (decodeBmpImage(data, size, &image)) {
        checkAccepted(data, size, image);
        std::free(image.pixels);
    } else {
        check(image.pixels == nullptr, "refused but left a pixel pointer");
    }
    return 0;
}
