// Byte-level decoders for the two image formats the scene uses: 24-bit BMP (sand and bubble textures) and
// uncompressed TGA (caustic frames). They work on a buffer that already holds the whole file, trust no header
// field, and allocate the pixel block only after every size has been checked against the buffer.

#include "assets/image.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Little-endian field readers; the caller has checked that the bytes lie inside the buffer.
uint16_t readLe16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t readLe32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Two's-complement reinterpretation through memcpy, so no narrowing conversion is involved.
int32_t readLeSigned32(const unsigned char* p)
{
    const uint32_t bits = readLe32(p);
    int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// ---------------------------------------------------------------------------------------------- BMP

constexpr size_t kBmpSignatureOffset = 0;
constexpr size_t kBmpPixelOffsetField = 10;
constexpr size_t kBmpWidthField = 18;
constexpr size_t kBmpHeightField = 22;
constexpr size_t kBmpBitsPerPixelField = 28;
constexpr size_t kBmpCompressionField = 30;
constexpr size_t kBmpImageSizeField = 34;
// 14-byte file header plus the 24 info-header bytes that hold every field above.
constexpr size_t kBmpHeaderBytesUsed = 38;
constexpr uint32_t kBmpUncompressed = 0;

// Where the rows of an accepted BMP lie and how they are shaped.
struct BmpLayout {
    uint64_t pixelOffset = 0;
    uint64_t rowBytes = 0;  // width * 3 made up to a multiple of 4, as an upload with alignment 4 expects
    int width = 0;
    int rows = 0;
    bool topDown = false;   // negative height in the file: first stored row is the top of the picture
};

// True when the file starts with "BM" and is long enough to hold every header field that is read.
bool hasBmpHeaders(const unsigned char* bytes, size_t length)
{
    return length >= kBmpHeaderBytesUsed && bytes[kBmpSignatureOffset] == 'B' &&
           bytes[kBmpSignatureOffset + 1] == 'M';
}

// True for the one pixel layout this reader handles: 24 bits per pixel, no compression.
bool isPlain24BitBmp(const unsigned char* bytes)
{
    return readLe16(bytes + kBmpBitsPerPixelField) == 24 &&
           readLe32(bytes + kBmpCompressionField) == kBmpUncompressed;
}

// Reads width and height into layout; false for a non-positive width, a zero height or a side above
// kMaxBmpSide, so later size arithmetic stays small and nothing huge is ever allocated.
bool readBmpDimensions(const unsigned char* bytes, BmpLayout* layout)
{
    const int64_t width = readLeSigned32(bytes + kBmpWidthField);
    const int64_t height = readLeSigned32(bytes + kBmpHeightField);  // 64 bits: -INT32_MIN must not overflow
    const int64_t rows = height < 0 ? -height : height;
    if (width <= 0 || width > kMaxBmpSide || rows == 0 || rows > kMaxBmpSide) {
        return false;
    }
    layout->width = static_cast<int>(width);
    layout->rows = static_cast<int>(rows);
    layout->topDown = height < 0;
    layout->rowBytes = (static_cast<uint64_t>(width) * 3 + 3) & ~static_cast<uint64_t>(3);
    return true;
}

// Checks the pixel offset and image-size field against the buffer. The offset must leave the info fields
// intact and lie in the file; the stated image size (0: the rows' own size) must cover every row and must
// itself fit after the offset, since a file that promises more than it holds is truncated.
bool locateBmpPixels(const unsigned char* bytes, size_t length, BmpLayout* layout)
{
    const uint64_t pixelOffset = readLe32(bytes + kBmpPixelOffsetField);
    if (pixelOffset < kBmpHeaderBytesUsed || pixelOffset > length) {
        return false;
    }
    const uint64_t rowsBytes = layout->rowBytes * static_cast<uint64_t>(layout->rows);
    uint64_t statedBytes = readLe32(bytes + kBmpImageSizeField);
    if (statedBytes == 0) {
        statedBytes = rowsBytes;
    }
    if (statedBytes < rowsBytes || statedBytes > length - pixelOffset) {
        return false;
    }
    layout->pixelOffset = pixelOffset;
    return true;
}

// Parses and validates every header field the decoder relies on; true when layout is safe to copy from.
bool parseBmpLayout(const unsigned char* bytes, size_t length, BmpLayout* layout)
{
    return hasBmpHeaders(bytes, length) && isPlain24BitBmp(bytes) && readBmpDimensions(bytes, layout) &&
           locateBmpPixels(bytes, length, layout);
}

// Copies the rows into block so that block row 0 is the bottom row of the picture, whatever the file order.
void copyBmpRowsBottomUp(const unsigned char* bytes, const BmpLayout& layout, unsigned char* block)
{
    const unsigned char* source = bytes + layout.pixelOffset;
    const size_t rowBytes = static_cast<size_t>(layout.rowBytes);
    const size_t rows = static_cast<size_t>(layout.rows);
    if (!layout.topDown) {
        std::memcpy(block, source, rowBytes * rows);
        return;
    }
    for (size_t row = 0; row < rows; ++row) {
        std::memcpy(block + (rows - 1 - row) * rowBytes, source + row * rowBytes, rowBytes);
    }
}

// ---------------------------------------------------------------------------------------------- TGA

constexpr size_t kTgaHeaderBytes = 18;
constexpr size_t kTgaIdLengthField = 0;
constexpr size_t kTgaColourMapTypeField = 1;
constexpr size_t kTgaImageTypeField = 2;
constexpr size_t kTgaWidthField = 12;
constexpr size_t kTgaHeightField = 14;
constexpr size_t kTgaDepthField = 16;
constexpr unsigned kTgaNoColourMap = 0;
constexpr unsigned kTgaUncompressedTrueColour = 2;
constexpr unsigned kTgaUncompressedGreyscale = 3;

// GL formats and pixel size for one accepted TGA kind.
struct TgaFormat {
    GLenum pixelFormat;
    GLenum internalFormat;
    uint64_t bytesPerPixel;
};

// Picks the formats for an image type and depth. Only the pairings a writer produces for uncompressed
// pictures are taken: true colour with 24 or 32 bits, greyscale with 8. An 8-bit true-colour file would be
// 3-3-2 packed colour and a 24/32-bit greyscale file has no agreed meaning, so both are refused rather than
// shown with the wrong colours; so are colour maps, RLE and files without an image.
bool selectTgaFormat(const unsigned char* header, TgaFormat* format)
{
    if (header[kTgaColourMapTypeField] != kTgaNoColourMap) {
        return false;
    }
    const unsigned type = header[kTgaImageTypeField];
    const unsigned depth = header[kTgaDepthField];
    if (type == kTgaUncompressedGreyscale && depth == 8) {
        *format = {GL_LUMINANCE, GL_LUMINANCE8, 1};
    } else if (type == kTgaUncompressedTrueColour && depth == 24) {
        *format = {GL_BGR_EXT, GL_RGB8, 3};
    } else if (type == kTgaUncompressedTrueColour && depth == 32) {
        *format = {GL_BGRA_EXT, GL_RGBA8, 4};
    } else {
        return false;
    }
    return true;
}

// Takes a block of the given size from the standard allocator and hands it to image with the formats of
// its pixels; false, leaving image without pixels, when the allocator has none to give.
bool allocatePixels(DecodedImage* image, uint64_t bytes, GLenum pixelFormat, GLenum internalFormat)
{
    auto* block = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(bytes)));
    if (block == nullptr) {
        return false;
    }
    image->pixelFormat = pixelFormat;
    image->internalFormat = internalFormat;
    image->pixels = block;
    return true;
}

}  // namespace

// Decodes a whole BMP file held in memory; see image.h for the result's layout.
bool decodeBmpImage(const unsigned char* bytes, size_t length, DecodedImage* image)
{
    if (image == nullptr) {
        return false;
    }
    image->pixels = nullptr;
    BmpLayout layout;
    if (bytes == nullptr || !parseBmpLayout(bytes, length, &layout)) {
        return false;
    }
    if (!allocatePixels(image, layout.rowBytes * static_cast<uint64_t>(layout.rows), GL_BGR_EXT, GL_RGB)) {
        return false;
    }
    copyBmpRowsBottomUp(bytes, layout, image->pixels);
    image->width = layout.width;
    image->height = layout.rows;
    return true;
}

// Decodes a whole TGA file held in memory; see image.h for the result's layout.
bool decodeTgaImage(const unsigned char* bytes, size_t length, DecodedImage* image)
{
    if (image == nullptr) {
        return false;
    }
    *image = DecodedImage{};
    if (bytes == nullptr || length < kTgaHeaderBytes) {
        return false;
    }
    // Callers may look at the header's dimensions even when the rest is refused.
    image->width = readLe16(bytes + kTgaWidthField);
    image->height = readLe16(bytes + kTgaHeightField);
    TgaFormat format;
    if (!selectTgaFormat(bytes, &format) || image->width == 0 || image->height == 0) {
        return false;
    }
    // The image-ID bytes sit between header and pixels; skipping them keeps the picture in place.
    const uint64_t pixelOffset = kTgaHeaderBytes + static_cast<uint64_t>(bytes[kTgaIdLengthField]);
    const uint64_t pixelBytes = static_cast<uint64_t>(image->width) * static_cast<uint64_t>(image->height) *
                                format.bytesPerPixel;
    if (pixelOffset > length || pixelBytes > length - pixelOffset) {
        return false;
    }
    if (!allocatePixels(image, pixelBytes, format.pixelFormat, format.internalFormat)) {
        return false;
    }
    std::memcpy(image->pixels, bytes + pixelOffset, static_cast<size_t>(pixelBytes));
    return true;
}
