// Reads BMP and TGA files written by ImageMagick, an independent writer, and compares every pixel with what
// ImageMagick itself decodes from the same file (and, for the BMPs, with the synthetic picture they were made
// from; ImageMagick's TGA writer stores its rows in memory order whatever origin flag it writes, so there
// only its own decoding is a fair reference).
// The pictures are generated here (a PPM and a PAM with alpha) and converted with `convert`; the test is
// skipped when no real ImageMagick is installed; under CI run_ctest.sh fails a skipped test.

#include "assets/image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kWidth = 7;   // 21 bytes per BMP row, so every row carries padding
constexpr int kHeight = 5;

// Runs a shell command, returning its output (stderr included) and whether it exited with status 0.
bool runCommand(const std::string& command, std::string* output = nullptr)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return false;
    }
    std::string text;
    char chunk[256];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0) {
        text.append(chunk, got);
    }
    const int status = pclose(pipe);
    if (output != nullptr) {
        *output = text;
    }
    return status == 0;
}

Bytes readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAll(const std::string& path, const std::string& header, const Bytes& body)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << header;
    out.write(reinterpret_cast<const char*>(body.data()), static_cast<std::streamsize>(body.size()));
    ASSERT_TRUE(out.good()) << path;
}

// The synthetic picture, top row first, RGBA: smooth ramps in red and green, a checker in blue and an alpha
// that takes in both extremes, so swapped channels, mirrored or shifted rows all change the comparison.
Bytes syntheticRgba()
{
    Bytes rgba;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            rgba.push_back(static_cast<unsigned char>(20 + x * 35));
            rgba.push_back(static_cast<unsigned char>(10 + y * 60));
            rgba.push_back(static_cast<unsigned char>((x + y) % 2 == 0 ? 230 : 40 + x * y));
            rgba.push_back(static_cast<unsigned char>((x * 37 + y * 53) % 256));
        }
    }
    rgba[3] = 0;
    rgba[7] = 255;
    return rgba;
}

Bytes dropAlpha(const Bytes& rgba)
{
    Bytes rgb;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgb.insert(rgb.end(), rgba.begin() + i, rgba.begin() + i + 3);
    }
    return rgb;
}

// Owns the pixel block of an image read by our readers.
struct OwnedImage {
    DecodedImage image;
    ~OwnedImage() { std::free(image.pixels); }
};

class ImageMagickFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string version;
        if (!runCommand("convert -version", &version) || version.find("ImageMagick") == std::string::npos) {
            GTEST_SKIP() << "ImageMagick's convert is not installed (convert -version: " << version << ")";
        }
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/magick.XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        ASSERT_NE(mkdtemp(buffer.data()), nullptr);
        dir_ = buffer.data();
        picture_ = syntheticRgba();
        writeAll(file("picture.ppm"), "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n",
                 dropAlpha(picture_));
        writeAll(file("picture.pam"),
                 "P7\nWIDTH " + std::to_string(kWidth) + "\nHEIGHT " + std::to_string(kHeight) +
                     "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                 picture_);
    }

    void TearDown() override
    {
        if (!dir_.empty()) {
            runCommand("rm -rf '" + dir_ + "'");
        }
    }

    std::string file(const std::string& name) const { return dir_ + "/" + name; }

    // Converts source with the given options into target, failing the test if convert does.
    void convert(const std::string& source, const std::string& options, const std::string& target)
    {
        std::string output;
        ASSERT_TRUE(runCommand("convert '" + file(source) + "' " + options + " '" + target + "'", &output))
            << output;
    }

    // ImageMagick's own decoding of path, top row of the picture first, as 8-bit samples of the given raw
    // map. ImageMagick keeps a TGA's rows in file order and only notes the origin flag as the orientation;
    // -auto-orient applies it, giving the picture as the TGA descriptor defines it.
    Bytes magickSamples(const std::string& path, const std::string& map)
    {
        const std::string raw = file("reference." + map);
        std::string output;
        EXPECT_TRUE(runCommand("convert '" + path + "' -auto-orient -depth 8 " + map + ":'" + raw + "'", &output))
            << output;
        return readAll(raw);
    }

    // Compares our block with top-down reference samples. The block's row r is picture row r when the
    // rows are stored top first, otherwise picture row height - 1 - r; order maps a block sample to the
    // reference channel it must equal (BGR(A) against RGB(A)).
    static void expectPixelsMatch(const DecodedImage& image, const Bytes& reference, size_t blockRowBytes,
                                  bool topFirst, const std::vector<int>& order)
    {
        const size_t channels = order.size();
        ASSERT_EQ(reference.size(), static_cast<size_t>(kWidth) * kHeight * channels);
        int mismatches = 0;
        for (int r = 0; r < kHeight; ++r) {
            const int pictureRow = topFirst ? r : kHeight - 1 - r;
            for (int x = 0; x < kWidth; ++x) {
                for (size_t c = 0; c < channels; ++c) {
                    const unsigned ours = image.pixels[r * blockRowBytes + x * channels + c];
                    const unsigned theirs = reference[(pictureRow * kWidth + x) * channels + order[c]];
                    if (ours != theirs && ++mismatches <= 10) {
                        ADD_FAILURE() << "pixel (" << x << ", " << pictureRow << ") sample " << c << ": read "
                                      << ours << ", ImageMagick " << theirs;
                    }
                }
            }
        }
        EXPECT_EQ(mismatches, 0);
    }

    // Reads a TGA written by ImageMagick and checks its header fields before the comparison.
    void readMagickTga(const std::string& path, int depth, int type, OwnedImage* owned, bool* topFirst)
    {
        const Bytes bytes = readAll(path);
        ASSERT_GE(bytes.size(), 18u);
        ASSERT_EQ(bytes[2], type) << "ImageMagick wrote image type " << int(bytes[2]);
        ASSERT_EQ(bytes[16], depth) << "ImageMagick wrote depth " << int(bytes[16]);
        ASSERT_EQ(bytes[17] & 0x10, 0) << "right-to-left columns are not expected";
        *topFirst = (bytes[17] & 0x20) != 0;
        ASSERT_TRUE(readTgaImage(path.c_str(), &owned->image));
        EXPECT_EQ(owned->image.width, kWidth);
        EXPECT_EQ(owned->image.height, kHeight);
    }

    std::string dir_;
    Bytes picture_;
};

TEST_F(ImageMagickFiles, Bmp24MatchesImageMagick)
{
    for (const std::string prefix : {"BMP3:", "BMP:"}) {  // 40-byte info header and ImageMagick's default V5
        const std::string path = file(prefix == "BMP3:" ? "picture3.bmp" : "picture5.bmp");
        convert("picture.ppm", "-type TrueColor -compress none", prefix + path);
        const Bytes bytes = readAll(path);
        ASSERT_GE(bytes.size(), 54u);
        ASSERT_EQ(bytes[28] | (bytes[29] << 8), 24) << prefix << " was not written with 24 bits per pixel";

        OwnedImage owned;
        ASSERT_TRUE(readBmpImage(path.c_str(), &owned.image)) << prefix;
        EXPECT_EQ(owned.image.width, kWidth);
        EXPECT_EQ(owned.image.height, kHeight);
        EXPECT_EQ(owned.image.pixelFormat, static_cast<GLenum>(GL_BGR_EXT));
        EXPECT_EQ(owned.image.internalFormat, static_cast<GLenum>(GL_RGB));
        const size_t rowBytes = (kWidth * 3 + 3) / 4 * 4;
        expectPixelsMatch(owned.image, magickSamples(path, "rgb"), rowBytes, false, {2, 1, 0});
        expectPixelsMatch(owned.image, dropAlpha(picture_), rowBytes, false, {2, 1, 0});
    }
}

TEST_F(ImageMagickFiles, Tga24MatchesImageMagickInEitherRowOrder)
{
    for (const std::string orient : {"", "-orient TopLeft"}) {
        const std::string path = file(orient.empty() ? "bottom.tga" : "top.tga");
        convert("picture.ppm", "-type TrueColor -compress none " + orient, path);
        OwnedImage owned;
        bool topFirst = false;
        readMagickTga(path, 24, 2, &owned, &topFirst);
        if (HasFatalFailure()) {
            return;
        }
        EXPECT_EQ(owned.image.pixelFormat, static_cast<GLenum>(GL_BGR_EXT));
        EXPECT_EQ(owned.image.internalFormat, static_cast<GLenum>(GL_RGB8));
        expectPixelsMatch(owned.image, magickSamples(path, "rgb"), kWidth * 3, topFirst, {2, 1, 0});
    }
}

TEST_F(ImageMagickFiles, Tga32KeepsAlphaAndMatchesImageMagick)
{
    const std::string path = file("alpha.tga");
    convert("picture.pam", "-alpha on -compress none", path);
    OwnedImage owned;
    bool topFirst = false;
    readMagickTga(path, 32, 2, &owned, &topFirst);
    if (HasFatalFailure()) {
        return;
    }
    EXPECT_EQ(owned.image.pixelFormat, static_cast<GLenum>(GL_BGRA_EXT));
    EXPECT_EQ(owned.image.internalFormat, static_cast<GLenum>(GL_RGBA8));
    const Bytes reference = magickSamples(path, "rgba");
    expectPixelsMatch(owned.image, reference, kWidth * 4, topFirst, {2, 1, 0, 3});
    // The alpha that came through spans clear to opaque, so a dropped or constant alpha could not match.
    Bytes alphas;
    for (size_t i = 3; i < reference.size(); i += 4) {
        alphas.push_back(reference[i]);
    }
    EXPECT_NE(std::find(alphas.begin(), alphas.end(), 0), alphas.end());
    EXPECT_NE(std::find(alphas.begin(), alphas.end(), 255), alphas.end());
}

TEST_F(ImageMagickFiles, Tga8GreyMatchesImageMagick)
{
    const std::string path = file("grey.tga");
    convert("picture.ppm", "-colorspace Gray -type Grayscale -depth 8 -compress none", path);
    OwnedImage owned;
    bool topFirst = false;
    readMagickTga(path, 8, 3, &owned, &topFirst);
    if (HasFatalFailure()) {
        return;
    }
    EXPECT_EQ(owned.image.pixelFormat, static_cast<GLenum>(GL_LUMINANCE));
    EXPECT_EQ(owned.image.internalFormat, static_cast<GLenum>(GL_LUMINANCE8));
    const Bytes grey = magickSamples(path, "gray");
    expectPixelsMatch(owned.image, grey, kWidth, topFirst, {0});
    // The grey levels must vary over the picture, or the comparison above would prove little.
    Bytes distinct(grey);
    std::sort(distinct.begin(), distinct.end());
    EXPECT_GT(std::unique(distinct.begin(), distinct.end()) - distinct.begin(), 10);
}

TEST_F(ImageMagickFiles, CompressedFilesAreRefused)
{
    const std::string rle = file("rle.tga");
    convert("picture.ppm", "-type TrueColor -compress RLE", rle);
    const Bytes bytes = readAll(rle);
    ASSERT_GE(bytes.size(), 18u);
    ASSERT_EQ(bytes[2], 10) << "expected an RLE true-colour TGA";
    OwnedImage tga;
    EXPECT_FALSE(readTgaImage(rle.c_str(), &tga.image));
    EXPECT_EQ(tga.image.pixels, nullptr);

    const std::string palette = file("palette.bmp");
    convert("picture.ppm", "-type Palette -colors 16 -compress RLE", "BMP3:" + palette);
    OwnedImage bmp;
    EXPECT_FALSE(readBmpImage(palette.c_str(), &bmp.image));
    EXPECT_EQ(bmp.image.pixels, nullptr);
}

}  // namespace
