// Writes the starting corpora of the fuzz targets: a few valid files and edge cases per reader, so the
// fuzzer begins inside the accepted formats instead of having to find "BM" and a sane header by chance.
// Usage: make_seeds OUTPUT_DIR   (makes OUTPUT_DIR/{bmp,tga,shader,height}/ and fills them)

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "tests/bmp_bytes.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Bytes whose neighbours differ, so the fuzzer's comparisons see distinct values.
void appendPattern(Bytes& b, size_t count, unsigned salt)
{
    for (size_t i = 0; i < count; ++i) {
        b.push_back(static_cast<unsigned char>(i * 37 + salt * 11 + 5));
    }
}

// A 24-bit BMP with a 40-byte info header; imageSize is written as given (0: the reader works it out).
Bytes bmp(int32_t width, int32_t height, uint32_t imageSize)
{
    Bytes b(54, 0);
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4;
    const uint32_t rows = static_cast<uint32_t>(height < 0 ? -height : height);
    putBmpHeaders(b, width, height, imageSize);
    appendPattern(b, rowBytes * rows, static_cast<unsigned>(width * 7 + height));
    return b;
}

// An uncompressed TGA: true colour for depths 24 and 32, greyscale for 8; idLength ID bytes follow the header.
Bytes tga(uint16_t width, uint16_t height, uint8_t depth, uint8_t idLength)
{
    Bytes b(18, 0);
    b[0] = idLength;
    b[2] = depth == 8 ? 3 : 2;
    putLe16(b, 12, width);
    putLe16(b, 14, height);
    b[16] = depth;
    b[17] = depth == 32 ? 8 : 0;
    for (uint8_t i = 0; i < idLength; ++i) {
        b.push_back(static_cast<unsigned char>('a' + i));
    }
    appendPattern(b, static_cast<size_t>(width) * height * (depth / 8), depth);
    return b;
}

Bytes text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

// A shader-looking source of exactly count characters: a comment line filled out to the length.
Bytes sourceOfLength(size_t count)
{
    std::string s = "void main() { gl_Position = ftransform(); }\n//";
    while (s.size() < count) {
        s.push_back(static_cast<char>('a' + s.size() % 26));
    }
    s.resize(count);
    return text(s);
}

bool writeFile(const std::string& path, const Bytes& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        return false;
    }
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), bytes.size(), 1, f) == 1;
    return std::fclose(f) == 0 && ok;
}

bool makeDir(const std::string& path)
{
    if (mkdir(path.c_str(), 0755) != 0) {
        struct stat info;
        if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            std::perror(path.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    bool ok = makeDir(root);
    for (const char* sub : {"bmp", "tga", "shader", "height"}) {
        ok = ok && makeDir(root + "/" + sub);
    }
    if (!ok) {
        return 1;
    }

    Bytes heightShort;
    appendPattern(heightShort, 3000, 3);  // crosses the end of the first two rows
    Bytes heightExact(1024 * 1024, 0);
    for (size_t i = 0; i < heightExact.size(); i += 977) {
        heightExact[i] = static_cast<unsigned char>(i >> 10);
    }
    Bytes heightLonger = heightExact;
    heightLonger.insert(heightLonger.end(), {0xFF, 0xFE, 0xFD, 0xFC});

    const struct {
        const char* path;
        Bytes bytes;
    } seeds[] = {
        {"bmp/5x2-image-size-0.bmp", bmp(5, 2, 0)},
        {"bmp/4x4.bmp", bmp(4, 4, 48)},
        {"bmp/3x2-negative-height.bmp", bmp(3, -2, 0)},
        {"bmp/1x1.bmp", bmp(1, 1, 0)},
        {"tga/4x3-depth-8.tga", tga(4, 3, 8, 0)},
        {"tga/4x3-depth-24.tga", tga(4, 3, 24, 0)},
        {"tga/2x2-depth-32.tga", tga(2, 2, 32, 0)},
        {"tga/3x2-id-length-5.tga", tga(3, 2, 24, 5)},
        {"shader/short.vp", text("uniform float fTime;\nvoid main() { gl_Position = ftransform(); }\n")},
        {"shader/crlf.fp", text("void main()\r\n{\r\n  gl_FragColor = vec4(1.0);\r\n}\r\n")},
        {"shader/exact-8192.vp", sourceOfLength(8192)},
        {"shader/over-8193.vp", sourceOfLength(8193)},
        {"height/empty.raw", Bytes{}},
        {"height/short.raw", heightShort},
        {"height/exact-size.raw", heightExact},
        {"height/longer.raw", heightLonger},
    };
    for (const auto& seed : seeds) {
        if (!writeFile(root + "/" + seed.path, seed.bytes)) {
            return 1;
        }
    }
    return 0;
}
