// Tests of the BMP and TGA readers: the bytes and formats of accepted files, the refusal of every malformed
// header, and that no failure leaves memory allocated or a file open. Every file is built here, field by
// field, and written under a fresh temporary directory; each case goes through the byte decoder (on an
// exactly sized heap block, so a sanitizer sees any over-read) and through the file reader, which must agree.

#include "assets/image.h"
#include "tests/bmp_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Bytes = std::vector<unsigned char>;

// ------------------------------------------------------------------------------- allocation probe
// Records the largest single allocation while armed, to show that absurd headers are refused before any
// block is taken. It replaces malloc and friends with forwards to glibc's own allocator, which a sanitizer
// runtime cannot share; under AddressSanitizer the allocator's size cap plays the same part instead (an
// allocation above it aborts the run with a report).

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define IMAGE_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define IMAGE_TEST_SANITIZED 1
#endif
#endif

#if defined(IMAGE_TEST_SANITIZED)
extern "C" __attribute__((used, visibility("default"))) const char* __asan_default_options()
{
    return "max_allocation_size_mb=256:allocator_may_return_null=0";
}

namespace {
constexpr bool kProbeAvailable = false;

// Stand-in that records nothing; callers check kProbeAvailable before looking at it.
class AllocationProbe {
public:
    size_t largest() const { return 0; }
};
}  // namespace
#else
namespace {
std::atomic<bool> probeArmed{false};
std::atomic<size_t> largestRequest{0};

void noteRequest(size_t size)
{
    if (probeArmed.load(std::memory_order_relaxed) && size > largestRequest.load(std::memory_order_relaxed)) {
        largestRequest.store(size, std::memory_order_relaxed);
    }
}
}  // namespace

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* block, size_t size);
extern "C" void __libc_free(void* block);

extern "C" void* malloc(size_t size)
{
    noteRequest(size);
    return __libc_malloc(size);
}
extern "C" void* calloc(size_t count, size_t size)
{
    noteRequest(count * size);
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* block, size_t size)
{
    noteRequest(size);
    return __libc_realloc(block, size);
}
extern "C" void free(void* block)
{
    __libc_free(block);
}

namespace {
constexpr bool kProbeAvailable = true;

// Arms the probe for its lifetime.
class AllocationProbe {
public:
    AllocationProbe()
    {
        largestRequest = 0;
        probeArmed = true;
    }
    ~AllocationProbe() { probeArmed = false; }
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;
    size_t largest() const { return largestRequest; }
};
}  // namespace
#endif

namespace {

// ------------------------------------------------------------------------------- file building

// A run of bytes where neighbours differ and no short period repeats, so a shifted or reordered copy shows.
Bytes patternBytes(size_t count, unsigned salt)
{
    Bytes out(count);
    for (size_t i = 0; i < count; ++i) {
        out[i] = static_cast<unsigned char>((i * 131 + i / 251 * 7 + salt * 29 + 17) & 0xFF);
    }
    return out;
}

size_t paddedRowBytes(int width, int bitsPerPixel)
{
    return (static_cast<size_t>(width) * bitsPerPixel / 8 + 3) / 4 * 4;
}

// Fields of a BMP header; the defaults describe a valid 5 x 2 24-bit file with a 40-byte info header.
struct BmpFields {
    char signature[2] = {'B', 'M'};
    uint32_t pixelOffset = 54;
    int32_t width = 5;
    int32_t height = 2;
    uint16_t bitsPerPixel = 24;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
};

// Builds a BMP file: headers, filler up to the pixel offset, then pixelArray. An offset inside the headers
// (an invalid file) still gets its pixel array after the 38 header bytes that carry fields.
Bytes makeBmp(const BmpFields& f, const Bytes& pixelArray)
{
    const size_t start = std::max<size_t>(f.pixelOffset, 38);
    Bytes file(start, 0xA5);
    file[0] = static_cast<unsigned char>(f.signature[0]);
    file[1] = static_cast<unsigned char>(f.signature[1]);
    putLe32(file, 2, static_cast<uint32_t>(start + pixelArray.size()));
    putLe32(file, 6, 0);
    putLe32(file, 10, f.pixelOffset);
    putLe32(file, 14, start >= 54 ? 40 : static_cast<uint32_t>(start - 14));
    putLe32(file, 18, static_cast<uint32_t>(f.width));
    putLe32(file, 22, static_cast<uint32_t>(f.height));
    putLe16(file, 26, 1);
    putLe16(file, 28, f.bitsPerPixel);
    putLe32(file, 30, f.compression);
    putLe32(file, 34, f.imageSize);
    if (start >= 54) {
        std::fill(file.begin() + 38, file.begin() + 54, 0);
    }
    file.insert(file.end(), pixelArray.begin(), pixelArray.end());
    return file;
}

// Padded 24-bit rows for a width x rows picture; padding bytes carry the pattern too.
Bytes bmpRows(int width, int rows, unsigned salt = 1)
{
    return patternBytes(paddedRowBytes(width, 24) * rows, salt);
}

// Fields of a TGA header; the defaults describe a valid 4 x 3 24-bit true-colour file.
struct TgaFields {
    uint8_t idLength = 0;
    uint8_t colourMapType = 0;
    uint8_t imageType = 2;
    uint16_t width = 4;
    uint16_t height = 3;
    uint8_t depth = 24;
    uint8_t descriptor = 0;
};

Bytes makeTga(const TgaFields& f, const Bytes& id, const Bytes& pixels, const Bytes& trailer = {})
{
    Bytes file(18, 0);
    file[0] = f.idLength;
    file[1] = f.colourMapType;
    file[2] = f.imageType;
    putLe16(file, 8, 0);
    putLe16(file, 10, 0);
    putLe16(file, 12, f.width);
    putLe16(file, 14, f.height);
    file[16] = f.depth;
    file[17] = f.descriptor;
    file.insert(file.end(), id.begin(), id.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    file.insert(file.end(), trailer.begin(), trailer.end());
    return file;
}

Bytes tgaPixels(const TgaFields& f, unsigned salt = 3)
{
    return patternBytes(static_cast<size_t>(f.width) * f.height * (f.depth / 8), salt);
}

// ------------------------------------------------------------------------------- reading both ways

// Owns the pixel block of a decoded image.
struct Result {
    bool ok = false;
    DecodedImage image;
    Result() = default;
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    Result(Result&& other) noexcept : ok(other.ok), image(other.image) { other.image.pixels = nullptr; }
    ~Result() { std::free(image.pixels); }
    Bytes pixelBytes(size_t count) const { return Bytes(image.pixels, image.pixels + count); }
};

using Decoder = bool (*)(const unsigned char*, size_t, DecodedImage*);
using FileReader = bool (*)(const char*, DecodedImage*);

// Decodes bytes from an exactly sized malloc'd copy, so any read past the end is a heap overflow.
Result decodeExact(Decoder decode, const Bytes& bytes)
{
    Result r;
    auto* copy = static_cast<unsigned char*>(std::malloc(std::max<size_t>(bytes.size(), 1)));
    if (!bytes.empty()) {
        std::memcpy(copy, bytes.data(), bytes.size());
    }
    r.image.pixels = reinterpret_cast<unsigned char*>(0x1);  // a stale pointer must not survive a failure
    r.ok = decode(copy, bytes.size(), &r.image);
    if (!r.ok && r.image.pixels != nullptr) {
        ADD_FAILURE() << "failed decode left pixels set";
        r.image.pixels = nullptr;
    }
    std::free(copy);
    return r;
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

size_t openDescriptorCount()
{
    size_t count = 0;
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) {
        return 0;
    }
    while (readdir(dir) != nullptr) {
        ++count;
    }
    closedir(dir);
    return count;
}

// Size of the pixel block of an accepted image: padded rows for a BMP, packed rows for a TGA.
size_t blockBytes(const DecodedImage& image)
{
    const size_t pixels = static_cast<size_t>(image.width) * image.height;
    switch (image.pixelFormat) {
    case GL_LUMINANCE:
        return pixels;
    case GL_BGRA_EXT:
        return pixels * 4;
    default:
        return image.internalFormat == GL_RGB ? paddedRowBytes(image.width, 24) * image.height : pixels * 3;
    }
}

// A fresh temporary directory per test, removed with everything in it afterwards.
class ImageFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/imgtest.XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        ASSERT_NE(mkdtemp(buffer.data()), nullptr);
        dir_ = buffer.data();
    }

    void TearDown() override
    {
        for (const std::string& name : files_) {
            unlink(name.c_str());
        }
        for (auto it = dirs_.rbegin(); it != dirs_.rend(); ++it) {
            rmdir(it->c_str());
        }
        rmdir(dir_.c_str());
    }

    std::string path(const std::string& name)
    {
        files_.push_back(dir_ + "/" + name);
        return files_.back();
    }

    std::string subdirectory(const std::string& name)
    {
        dirs_.push_back(dir_ + "/" + name);
        mkdir(dirs_.back().c_str(), 0700);
        return dirs_.back();
    }

    // Reads bytes through the decoder and, written to a file, through the reader; both must agree.
    Result readBothWays(Decoder decode, FileReader read, const Bytes& bytes)
    {
        Result direct = decodeExact(decode, bytes);
        const std::string file = path("case" + std::to_string(counter_++));
        writeFile(file, bytes);
        Result fromFile;
        fromFile.image.pixels = reinterpret_cast<unsigned char*>(0x1);
        fromFile.ok = read(file.c_str(), &fromFile.image);
        if (!fromFile.ok && fromFile.image.pixels != nullptr) {
            ADD_FAILURE() << "failed file read left pixels set";
            fromFile.image.pixels = nullptr;
        }
        expectSame(direct, fromFile);
        return direct;
    }

    Result bmp(const Bytes& bytes) { return readBothWays(decodeBmpImage, readBmpImage, bytes); }
    Result tga(const Bytes& bytes) { return readBothWays(decodeTgaImage, readTgaImage, bytes); }

    static void expectSame(const Result& a, const Result& b)
    {
        EXPECT_EQ(a.ok, b.ok);
        EXPECT_EQ(a.image.width, b.image.width);
        EXPECT_EQ(a.image.height, b.image.height);
        EXPECT_EQ(a.image.pixelFormat, b.image.pixelFormat);
        EXPECT_EQ(a.image.internalFormat, b.image.internalFormat);
        if (a.ok && b.ok) {
            EXPECT_EQ(0, std::memcmp(a.image.pixels, b.image.pixels, blockBytes(a.image)));
        }
    }

    std::string dir_;

private:
    std::vector<std::string> files_;
    std::vector<std::string> dirs_;
    int counter_ = 0;
};

// ------------------------------------------------------------------------------- BMP: accepted files

using BmpAccepted = ImageFileTest;

TEST_F(BmpAccepted, FiveByTwoWithImageSizeZeroTakesBothPaddedRows)
{
    const Bytes rows = bmpRows(5, 2);
    ASSERT_EQ(rows.size(), 32u);  // 5 * 3 = 15 bytes per row, made up to 16
    Bytes file = makeBmp(BmpFields{}, rows);
    const Bytes trailer = patternBytes(7, 9);  // bytes after the array belong to no row
    file.insert(file.end(), trailer.begin(), trailer.end());

    Result r = bmp(file);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.image.width, 5);
    EXPECT_EQ(r.image.height, 2);
    EXPECT_EQ(r.image.pixelFormat, static_cast<GLenum>(GL_BGR_EXT));
    EXPECT_EQ(r.image.internalFormat, static_cast<GLenum>(GL_RGB));
    EXPECT_EQ(r.pixelBytes(32), Bytes(file.begin() + 54, file.begin() + 86));
}

TEST_F(BmpAccepted, ExplicitImageSizeCoveringRowsOrMore)
{
    BmpFields f;
    f.width = 3;
    f.height = 4;
    const Bytes rows = bmpRows(3, 4);  // 12 bytes per row, no padding
    for (uint32_t stated : {48u, 60u}) {
        f.imageSize = stated;
        Bytes array = rows;
        array.resize(stated, 0xCC);  // a larger stated block is present in full
        Result r = bmp(makeBmp(f, array));
        ASSERT_TRUE(r.ok) << "image size " << stated;
        EXPECT_EQ(r.image.width, 3);
        EXPECT_EQ(r.image.height, 4);
        EXPECT_EQ(r.pixelBytes(rows.size()), rows);
    }
}

TEST_F(BmpAccepted, PixelsComeFromThePixelOffset)
{
    BmpFields f;
    const Bytes rows = bmpRows(5, 2, 4);
    for (uint32_t offset : {38u, 54u, 70u, 1078u}) {  // minimal header, plain, gap, room for a palette
        f.pixelOffset = offset;
        Result r = bmp(makeBmp(f, rows));
        ASSERT_TRUE(r.ok) << "offset " << offset;
        EXPECT_EQ(r.pixelBytes(rows.size()), rows) << "offset " << offset;
    }
}

TEST_F(BmpAccepted, TopDownFileIsReorderedBottomUp)
{
    BmpFields f;
    f.width = 2;
    f.height = -3;  // stored top row first
    const size_t rowBytes = paddedRowBytes(2, 24);
    Bytes array;
    for (int row = 0; row < 3; ++row) {
        const Bytes bytes = patternBytes(rowBytes, 40 + row);
        array.insert(array.end(), bytes.begin(), bytes.end());
    }
    Result r = bmp(makeBmp(f, array));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.image.width, 2);
    EXPECT_EQ(r.image.height, 3);
    // The top row, first in the file, ends up last; the bottom row, last in the file, comes first.
    Bytes expected;
    for (size_t row = 3; row-- > 0;) {
        expected.insert(expected.end(), array.begin() + row * rowBytes, array.begin() + (row + 1) * rowBytes);
    }
    EXPECT_EQ(r.pixelBytes(3 * rowBytes), expected);
    EXPECT_EQ(Bytes(r.image.pixels + 2 * rowBytes, r.image.pixels + 3 * rowBytes),
              Bytes(array.begin(), array.begin() + rowBytes));
}

TEST_F(BmpAccepted, SidesAtTheLimit)
{
    BmpFields wide;
    wide.width = kMaxBmpSide;
    wide.height = 1;
    Result r = bmp(makeBmp(wide, bmpRows(kMaxBmpSide, 1)));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.image.width, kMaxBmpSide);

    BmpFields tall;
    tall.width = 1;
    tall.height = -kMaxBmpSide;
    Result t = bmp(makeBmp(tall, bmpRows(1, kMaxBmpSide)));
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.image.height, kMaxBmpSide);
}

// ------------------------------------------------------------------------------- BMP: refused files

using BmpRefused = ImageFileTest;

TEST_F(BmpRefused, DepthsOtherThan24)
{
    for (uint16_t bits : {1, 4, 8, 16, 32}) {
        BmpFields f;
        f.bitsPerPixel = bits;
        f.pixelOffset = bits <= 8 ? 54 + 4 * (1u << bits) : 54;
        // Enough bytes for either reading of the rows, so only the depth can be at fault.
        Bytes array = bmpRows(5, 2);
        array.resize(std::max(array.size(), paddedRowBytes(5, bits) * 2), 0);
        EXPECT_FALSE(bmp(makeBmp(f, array)).ok) << bits << " bits";
    }
}

TEST_F(BmpRefused, ShortAndTruncatedFiles)
{
    const Bytes whole = makeBmp(BmpFields{}, bmpRows(5, 2));
    ASSERT_TRUE(bmp(whole).ok);
    for (size_t length : {size_t{0}, size_t{1}, size_t{2}, size_t{13}, size_t{14}, size_t{37}, size_t{38},
                          size_t{53}, size_t{54}, whole.size() - 1}) {
        EXPECT_FALSE(bmp(Bytes(whole.begin(), whole.begin() + length)).ok) << length << " bytes";
    }
}

TEST_F(BmpRefused, WrongSignature)
{
    for (const char* signature : {"MB", "bm", "BA", "\0\0"}) {
        BmpFields f;
        f.signature[0] = signature[0];
        f.signature[1] = signature[1];
        EXPECT_FALSE(bmp(makeBmp(f, bmpRows(5, 2))).ok) << signature;
    }
}

TEST_F(BmpRefused, AnyCompression)
{
    for (uint32_t compression : {1u, 2u, 3u, 4u, 5u, 0x80000000u}) {
        BmpFields f;
        f.compression = compression;
        EXPECT_FALSE(bmp(makeBmp(f, bmpRows(5, 2))).ok) << "compression " << compression;
    }
}

TEST_F(BmpRefused, PixelOffsetInsideHeadersOrPastTheEnd)
{
    for (uint32_t offset : {0u, 14u, 30u, 37u}) {
        BmpFields f;
        f.pixelOffset = offset;
        EXPECT_FALSE(bmp(makeBmp(f, bmpRows(5, 2))).ok) << "offset " << offset;
    }
    Bytes file = makeBmp(BmpFields{}, bmpRows(5, 2));
    for (uint32_t offset : {static_cast<uint32_t>(file.size()), static_cast<uint32_t>(file.size() + 1),
                            0xFFFFFFFFu}) {
        putLe32(file, 10, offset);
        EXPECT_FALSE(bmp(file).ok) << "offset " << offset;
    }
}

TEST_F(BmpRefused, ImageSizeBeyondTheFile)
{
    BmpFields f;
    f.imageSize = 36;  // the 32 bytes of rows are all there, the promised block is not
    EXPECT_FALSE(bmp(makeBmp(f, bmpRows(5, 2))).ok);
    f.imageSize = 0xFFFFFFFFu;
    EXPECT_FALSE(bmp(makeBmp(f, bmpRows(5, 2))).ok);
}

TEST_F(BmpRefused, ImageSizeSmallerThanTheRows)
{
    for (uint32_t stated : {1u, 16u, 30u, 31u}) {
        BmpFields f;
        f.imageSize = stated;
        EXPECT_FALSE(bmp(makeBmp(f, bmpRows(5, 2))).ok) << "image size " << stated;
    }
}

TEST_F(BmpRefused, ImpossibleDimensions)
{
    const struct {
        int32_t width;
        int32_t height;
    } cases[] = {{0, 2}, {-5, 2}, {INT32_MIN, 2}, {5, 0}, {kMaxBmpSide + 1, 1}, {1, kMaxBmpSide + 1},
                 {1, -kMaxBmpSide - 1}, {5, INT32_MIN}, {INT32_MAX, INT32_MAX}};
    for (const auto& c : cases) {
        BmpFields f;
        f.width = c.width;
        f.height = c.height;
        EXPECT_FALSE(bmp(makeBmp(f, bmpRows(5, 2))).ok) << c.width << " x " << c.height;
    }
}

TEST_F(BmpRefused, NullArguments)
{
    const Bytes file = makeBmp(BmpFields{}, bmpRows(5, 2));
    DecodedImage image;
    EXPECT_FALSE(decodeBmpImage(nullptr, file.size(), &image));
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_FALSE(decodeBmpImage(file.data(), file.size(), nullptr));
    EXPECT_FALSE(readBmpImage(nullptr, &image));
    EXPECT_EQ(image.pixels, nullptr);
}

// ------------------------------------------------------------------------------- TGA: accepted files

using TgaAccepted = ImageFileTest;

TEST_F(TgaAccepted, EachDepthWithItsFormatsAndBytes)
{
    const struct {
        uint8_t type;
        uint8_t depth;
        GLenum pixelFormat;
        GLenum internalFormat;
    } kinds[] = {{3, 8, GL_LUMINANCE, GL_LUMINANCE8},
                 {2, 24, GL_BGR_EXT, GL_RGB8},
                 {2, 32, GL_BGRA_EXT, GL_RGBA8}};
    for (const auto& k : kinds) {
        TgaFields f;
        f.imageType = k.type;
        f.depth = k.depth;
        f.width = 5;
        f.height = 3;
        const Bytes pixels = tgaPixels(f, k.depth);
        Result r = tga(makeTga(f, {}, pixels));
        ASSERT_TRUE(r.ok) << int(k.depth) << " bits";
        EXPECT_EQ(r.image.width, 5);
        EXPECT_EQ(r.image.height, 3);
        EXPECT_EQ(r.image.pixelFormat, k.pixelFormat) << int(k.depth) << " bits";
        EXPECT_EQ(r.image.internalFormat, k.internalFormat) << int(k.depth) << " bits";
        EXPECT_EQ(r.pixelBytes(pixels.size()), pixels) << int(k.depth) << " bits";
    }
}

TEST_F(TgaAccepted, RowsStayInFileOrderWhateverTheDescriptor)
{
    for (uint8_t descriptor : {0x00, 0x08, 0x20, 0x28}) {
        TgaFields f;
        f.depth = 32;
        f.descriptor = descriptor;
        const Bytes pixels = tgaPixels(f);
        Result r = tga(makeTga(f, {}, pixels));
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.pixelBytes(pixels.size()), pixels) << "descriptor " << int(descriptor);
    }
}

TEST_F(TgaAccepted, ImageIdIsSkippedNotShifted)
{
    TgaFields f;
    f.idLength = 5;
    const Bytes pixels = tgaPixels(f);
    Result r = tga(makeTga(f, {'H', 'E', 'L', 'L', 'O'}, pixels));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pixelBytes(pixels.size()), pixels);

    f.idLength = 255;
    Result longest = tga(makeTga(f, patternBytes(255, 8), pixels));
    ASSERT_TRUE(longest.ok);
    EXPECT_EQ(longest.pixelBytes(pixels.size()), pixels);
}

TEST_F(TgaAccepted, TrailingBytesSuchAsAFooterAreIgnored)
{
    TgaFields f;
    const Bytes pixels = tgaPixels(f);
    const std::string footer("\0\0\0\0\0\0\0\0TRUEVISION-XFILE.\0", 26);
    Result r = tga(makeTga(f, {}, pixels, Bytes(footer.begin(), footer.end())));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pixelBytes(pixels.size()), pixels);
}

// ------------------------------------------------------------------------------- TGA: refused files

using TgaRefused = ImageFileTest;

TEST_F(TgaRefused, UnsupportedDepthKeepsHeaderDimensions)
{
    for (uint8_t depth : {0, 1, 15, 16, 23, 25, 31, 33, 64}) {
        TgaFields f;
        f.depth = depth;
        f.width = 321;
        f.height = 123;
        Result r = tga(makeTga(f, {}, patternBytes(321 * 123 * 8, 2)));
        EXPECT_FALSE(r.ok) << int(depth) << " bits";
        EXPECT_EQ(r.image.width, 321) << int(depth) << " bits";
        EXPECT_EQ(r.image.height, 123) << int(depth) << " bits";
        EXPECT_EQ(r.image.pixelFormat, static_cast<GLenum>(GL_BGR_EXT));
        EXPECT_EQ(r.image.internalFormat, static_cast<GLenum>(GL_RGB8));
    }
}

TEST_F(TgaRefused, ZeroWidthOrHeight)
{
    for (const auto& size : {std::pair<uint16_t, uint16_t>{0, 3}, {4, 0}, {0, 0}}) {
        TgaFields f;
        f.width = size.first;
        f.height = size.second;
        Result r = tga(makeTga(f, {}, patternBytes(64, 1)));
        EXPECT_FALSE(r.ok) << size.first << " x " << size.second;
        EXPECT_EQ(r.image.width, size.first);
        EXPECT_EQ(r.image.height, size.second);
    }
}

TEST_F(TgaRefused, TruncatedPixels)
{
    for (uint8_t depth : {24, 32}) {
        TgaFields f;
        f.depth = depth;
        const Bytes pixels = tgaPixels(f);
        ASSERT_TRUE(tga(makeTga(f, {}, pixels)).ok);
        EXPECT_FALSE(tga(makeTga(f, {}, Bytes(pixels.begin(), pixels.end() - 1))).ok) << int(depth);
        EXPECT_FALSE(tga(makeTga(f, {}, {})).ok) << int(depth);
    }
}

TEST_F(TgaRefused, ImageIdThatLeavesTooFewPixelBytes)
{
    TgaFields f;
    f.idLength = 5;
    // Without the skip the pixels would fit exactly; with it the file ends five bytes early.
    Bytes shortFile = makeTga(f, {}, tgaPixels(f));
    EXPECT_FALSE(tga(shortFile).ok);
    f.idLength = 200;
    EXPECT_FALSE(tga(makeTga(f, patternBytes(100, 1), {})).ok);
}

TEST_F(TgaRefused, ColourMappedCompressedOrEmptyTypes)
{
    for (uint8_t type : {0, 1, 9, 10, 11, 32, 33, 255}) {
        TgaFields f;
        f.imageType = type;
        EXPECT_FALSE(tga(makeTga(f, {}, tgaPixels(f))).ok) << "type " << int(type);
    }
    TgaFields mapped;
    mapped.colourMapType = 1;  // a colour map would lie before the pixels
    EXPECT_FALSE(tga(makeTga(mapped, {}, tgaPixels(mapped))).ok);
}

TEST_F(TgaRefused, TypeAndDepthThatDoNotBelongTogether)
{
    const std::pair<uint8_t, uint8_t> mismatches[] = {{2, 8}, {3, 24}, {3, 32}, {3, 16}};
    for (const auto& m : mismatches) {
        TgaFields f;
        f.imageType = m.first;
        f.depth = m.second;
        EXPECT_FALSE(tga(makeTga(f, {}, patternBytes(4 * 3 * 4, 5))).ok)
            << "type " << int(m.first) << ", " << int(m.second) << " bits";
    }
}

TEST_F(TgaRefused, ShorterThanTheHeaderLeavesTheResultReset)
{
    const Bytes whole = makeTga(TgaFields{}, {}, tgaPixels(TgaFields{}));
    for (size_t length : {size_t{0}, size_t{1}, size_t{12}, size_t{16}, size_t{17}}) {
        Result r = tga(Bytes(whole.begin(), whole.begin() + length));
        EXPECT_FALSE(r.ok) << length << " bytes";
        EXPECT_EQ(r.image.width, 0);
        EXPECT_EQ(r.image.height, 0);
        EXPECT_EQ(r.image.pixelFormat, static_cast<GLenum>(GL_BGR_EXT));
        EXPECT_EQ(r.image.internalFormat, static_cast<GLenum>(GL_RGB8));
    }
}

TEST_F(TgaRefused, NullArguments)
{
    DecodedImage image;
    EXPECT_FALSE(decodeTgaImage(nullptr, 100, &image));
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_FALSE(decodeTgaImage(nullptr, 0, nullptr));
    EXPECT_FALSE(readTgaImage(nullptr, &image));
    EXPECT_EQ(image.pixels, nullptr);
}

// ------------------------------------------------------------------------------- file layer

using FileReading = ImageFileTest;

TEST_F(FileReading, MissingFileFailsAndResetsTheTgaResult)
{
    DecodedImage image;
    image.width = 77;
    image.height = 88;
    image.pixelFormat = GL_LUMINANCE;
    image.internalFormat = GL_RGBA8;
    EXPECT_FALSE(readTgaImage(path("absent.tga").c_str(), &image));
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.height, 0);
    EXPECT_EQ(image.pixelFormat, static_cast<GLenum>(GL_BGR_EXT));
    EXPECT_EQ(image.internalFormat, static_cast<GLenum>(GL_RGB8));
    EXPECT_EQ(image.pixels, nullptr);

    EXPECT_FALSE(readBmpImage(path("absent.bmp").c_str(), &image));
    EXPECT_EQ(image.pixels, nullptr);
}

TEST_F(FileReading, NamesAreRelativeToTheWorkingDirectory)
{
    writeFile(path("Sand.bmp"), makeBmp(BmpFields{}, bmpRows(5, 2)));
    writeFile(path("caust00.tga"), makeTga(TgaFields{}, {}, tgaPixels(TgaFields{})));
    std::vector<char> previous(PATH_MAX);
    ASSERT_NE(getcwd(previous.data(), previous.size()), nullptr);
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    Result b;
    b.ok = readBmpImage("Sand.bmp", &b.image);
    Result t;
    t.ok = readTgaImage("caust00.tga", &t.image);
    Result missing;
    missing.ok = readBmpImage("Bubble.bmp", &missing.image);
    ASSERT_EQ(chdir(previous.data()), 0);
    EXPECT_TRUE(b.ok);
    EXPECT_TRUE(t.ok);
    EXPECT_FALSE(missing.ok);
}

TEST_F(FileReading, DirectoriesFifosEmptyAndUnreadableFilesFail)
{
    DecodedImage image;
    const std::string directory = subdirectory("folder.bmp");
    EXPECT_FALSE(readBmpImage(directory.c_str(), &image));
    EXPECT_FALSE(readTgaImage(directory.c_str(), &image));
    const std::string empty = path("empty.tga");
    writeFile(empty, {});
    EXPECT_FALSE(readTgaImage(empty.c_str(), &image));
    EXPECT_FALSE(readBmpImage(empty.c_str(), &image));
    // Opening a FIFO for reading would wait for a writer; the readers must refuse it at once instead.
    const std::string fifo = path("pipe.tga");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    alarm(20);  // a reader that blocks ends the run with SIGALRM instead of hanging it
    EXPECT_FALSE(readTgaImage(fifo.c_str(), &image));
    EXPECT_FALSE(readBmpImage(fifo.c_str(), &image));
    alarm(0);
    if (geteuid() != 0) {  // root reads anything, so the permission check only means something for others
        const std::string locked = path("locked.bmp");
        writeFile(locked, makeBmp(BmpFields{}, bmpRows(5, 2)));
        chmod(locked.c_str(), 0);
        EXPECT_FALSE(readBmpImage(locked.c_str(), &image));
    }
    EXPECT_EQ(image.pixels, nullptr);
}

TEST_F(FileReading, NoDescriptorStaysOpen)
{
    // Build every file first: the ofstreams of the build must not count.
    std::vector<std::string> failingBmps{path("missing.bmp"), path("sig.bmp"), path("depth.bmp"),
                                         path("short.bmp"), path("size.bmp"), subdirectory("dir.bmp")};
    BmpFields depth;
    depth.bitsPerPixel = 32;
    BmpFields oversized;
    oversized.imageSize = 1000;
    BmpFields badSignature;
    badSignature.signature[0] = 'X';
    writeFile(failingBmps[1], makeBmp(badSignature, bmpRows(5, 2)));
    writeFile(failingBmps[2], makeBmp(depth, bmpRows(5, 2)));
    writeFile(failingBmps[3], Bytes(10, 'B'));
    writeFile(failingBmps[4], makeBmp(oversized, bmpRows(5, 2)));
    std::vector<std::string> failingTgas{path("missing.tga"), path("depth.tga"), path("short.tga"),
                                         path("rle.tga")};
    TgaFields deep;
    deep.depth = 16;
    TgaFields rle;
    rle.imageType = 10;
    writeFile(failingTgas[1], makeTga(deep, {}, patternBytes(100, 1)));
    writeFile(failingTgas[2], Bytes(17, 0));
    writeFile(failingTgas[3], makeTga(rle, {}, tgaPixels(rle)));
    const std::string good = path("good.tga");
    writeFile(good, makeTga(TgaFields{}, {}, tgaPixels(TgaFields{})));

    const size_t before = openDescriptorCount();
    ASSERT_GT(before, 0u);
    for (int round = 0; round < 20; ++round) {
        for (const std::string& name : failingBmps) {
            DecodedImage image;
            EXPECT_FALSE(readBmpImage(name.c_str(), &image)) << name;
        }
        for (const std::string& name : failingTgas) {
            DecodedImage image;
            EXPECT_FALSE(readTgaImage(name.c_str(), &image)) << name;
        }
        Result r;
        r.ok = readTgaImage(good.c_str(), &r.image);
        EXPECT_TRUE(r.ok);
    }
    EXPECT_EQ(openDescriptorCount(), before);
}

// ------------------------------------------------------------------------------- size limits

using SizeLimits = ImageFileTest;

// Not built under a sanitizer, which has no probe: the allocator's size cap guards there instead.
#if !defined(IMAGE_TEST_SANITIZED)
TEST_F(SizeLimits, ProbeSeesTheBlockOfAnAcceptedImage)
{
    BmpFields wide;
    wide.width = kMaxBmpSide;
    wide.height = 1;
    const Bytes file = makeBmp(wide, bmpRows(kMaxBmpSide, 1));
    AllocationProbe probe;
    DecodedImage image;
    ASSERT_TRUE(decodeBmpImage(file.data(), file.size(), &image));
    EXPECT_GE(probe.largest(), paddedRowBytes(kMaxBmpSide, 24));
    std::free(image.pixels);
}
#endif

TEST_F(SizeLimits, HugeHeadersAreRefusedBeforeAnyLargeAllocation)
{
    constexpr size_t kSmall = 1 << 20;
    BmpFields bigBmp;
    bigBmp.width = kMaxBmpSide;
    bigBmp.height = -kMaxBmpSide;  // 768 MiB of rows promised, a few bytes present
    const Bytes bmpFile = makeBmp(bigBmp, bmpRows(5, 2));
    TgaFields bigTga;
    bigTga.width = 65535;
    bigTga.height = 65535;
    bigTga.depth = 32;  // 16 GiB promised
    const Bytes tgaFile = makeTga(bigTga, {}, patternBytes(64, 1));
    const std::string bmpName = path("big.bmp");
    const std::string tgaName = path("big.tga");
    writeFile(bmpName, bmpFile);
    writeFile(tgaName, tgaFile);

    AllocationProbe probe;
    DecodedImage image;
    EXPECT_FALSE(decodeBmpImage(bmpFile.data(), bmpFile.size(), &image));
    EXPECT_FALSE(decodeTgaImage(tgaFile.data(), tgaFile.size(), &image));
    EXPECT_EQ(image.width, 65535);
    EXPECT_FALSE(readBmpImage(bmpName.c_str(), &image));
    EXPECT_FALSE(readTgaImage(tgaName.c_str(), &image));
    if (kProbeAvailable) {
        EXPECT_LT(probe.largest(), kSmall);
    }
}

TEST_F(SizeLimits, FilesAboveTheLimitAreNotReadIn)
{
    // A sparse file just over the limit, whose headers describe a picture that would fit in it.
    const std::string name = path("enormous.bmp");
    BmpFields f;
    f.width = kMaxBmpSide;
    f.height = kMaxBmpSide;
    writeFile(name, makeBmp(f, {}));
    ASSERT_EQ(truncate(name.c_str(), static_cast<off_t>(kMaxImageFileBytes + 1)), 0);

    AllocationProbe probe;
    DecodedImage image;
    EXPECT_FALSE(readBmpImage(name.c_str(), &image));
    EXPECT_EQ(image.pixels, nullptr);
    if (kProbeAvailable) {
        EXPECT_LT(probe.largest(), size_t{1} << 20);
    }
}

}  // namespace
