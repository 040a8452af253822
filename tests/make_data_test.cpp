#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/make_data.h"

namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<uint8_t>;

uint32_t readU16(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8);
}

uint32_t readU32(const Bytes& b, size_t at) {
    return readU16(b, at) | (readU16(b, at + 2) << 16);
}

int32_t readS32(const Bytes& b, size_t at) {
    return static_cast<int32_t>(readU32(b, at));
}

// One channel of a picture as doubles, row-major, in file row order.
struct Plane {
    int width = 0;
    int height = 0;
    std::vector<double> v;
    double at(int x, int y) const { return v[static_cast<size_t>(y) * width + x]; }
};

// Channel `channel` (0 = blue, 1 = green, 2 = red) of a 24-bit BMP with a
// 54-byte header, rows as stored (bottom row first).
Plane bmpChannel(const Bytes& file, int channel) {
    Plane p;
    p.width = readS32(file, 18);
    p.height = readS32(file, 22);
    const size_t rowBytes = (static_cast<size_t>(p.width) * 3 + 3) / 4 * 4;
    const size_t offset = readU32(file, 10);
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            p.v.push_back(file.at(offset + y * rowBytes + x * 3 + channel));
        }
    }
    return p;
}

// The grey pixels of an 8-bit TGA with an 18-byte header.
Plane tgaPlane(const Bytes& file) {
    Plane p;
    p.width = static_cast<int>(readU16(file, 12));
    p.height = static_cast<int>(readU16(file, 14));
    p.v.assign(file.begin() + 18, file.end());
    return p;
}

// The plane mirrored about its diagonal: rows become columns.
Plane transposed(const Plane& p) {
    Plane t;
    t.width = p.height;
    t.height = p.width;
    for (int y = 0; y < t.height; ++y)
        for (int x = 0; x < t.width; ++x) t.v.push_back(p.at(y, x));
    return t;
}

// Mean over rows of the absolute difference between the mean of the `width`
// columns just left of column c and the mean of the `width` columns from c
// on; columns are taken round the wrap, so c = 0 measures the step across
// the left/right edge.
double blockStep(const Plane& p, int c, int width) {
    double sum = 0;
    for (int y = 0; y < p.height; ++y) {
        double left = 0, right = 0;
        for (int k = 0; k < width; ++k) {
            left += p.at((c - 1 - k + p.width) % p.width, y);
            right += p.at((c + k) % p.width, y);
        }
        sum += std::fabs(left - right) / width;
    }
    return sum / p.height;
}

// The steps between neighbouring blocks that lie wholly inside the picture.
std::vector<double> interiorBlockSteps(const Plane& p, int width) {
    std::vector<double> steps;
    for (int c = width; c + width <= p.width; ++c) steps.push_back(blockStep(p, c, width));
    return steps;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double largest(const std::vector<double>& values) {
    return *std::max_element(values.begin(), values.end());
}

const char* const kEdgeNames[2] = {": left/right edges", ": top/bottom edges"};

// A grainy texture: per-pixel speckle hides single-column steps, so its seams
// show in the mottling. The step between 8-column bands across each edge must
// be like the median step between bands inside; a seam is about twice that.
void expectSeamlessTexture(const Plane& p, const std::string& what) {
    const Plane sides[2] = {p, transposed(p)};
    for (int i = 0; i < 2; ++i) {
        const std::vector<double> steps = interiorBlockSteps(sides[i], 8);
        EXPECT_GT(median(steps), 0.0) << what;
        EXPECT_LE(blockStep(sides[i], 0, 8), 1.3 * median(steps)) << what << kEdgeNames[i];
    }
}

// A pattern of thin sharp lines: single-column steps vary a lot with how the
// lines cross them, so the step across each edge must be no larger than the
// steps found between neighbouring columns inside; unrelated columns differ
// about twice as much.
void expectSeamlessLines(const Plane& p, const std::string& what) {
    const Plane sides[2] = {p, transposed(p)};
    for (int i = 0; i < 2; ++i) {
        const std::vector<double> steps = interiorBlockSteps(sides[i], 1);
        EXPECT_GT(largest(steps), 0.0) << what;
        EXPECT_LE(blockStep(sides[i], 0, 1), 1.3 * largest(steps)) << what << kEdgeNames[i];
    }
}

double mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v) sum += x;
    return sum / v.size();
}

double meanAbsDifference(const Plane& a, const Plane& b) {
    double sum = 0;
    for (size_t i = 0; i < a.v.size(); ++i) sum += std::fabs(a.v[i] - b.v[i]);
    return sum / a.v.size();
}

void expectBmpHeader(const Bytes& file, int side) {
    const uint32_t rowBytes = (side * 3 + 3) / 4 * 4;
    ASSERT_EQ(file.size(), 54u + rowBytes * side);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(readU32(file, 2), file.size());
    EXPECT_EQ(readU32(file, 10), 54u);
    EXPECT_EQ(readU32(file, 14), 40u);
    EXPECT_EQ(readS32(file, 18), side);
    EXPECT_EQ(readS32(file, 22), side);
    EXPECT_EQ(readU16(file, 26), 1u);
    EXPECT_EQ(readU16(file, 28), 24u);
    EXPECT_EQ(readU32(file, 30), 0u);
    EXPECT_EQ(readU32(file, 34), rowBytes * side);
}

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh empty directory, removed when the test ends.
struct TempDir {
    fs::path path;
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "make_data_XXXXXX").string();
        if (mkdtemp(pattern.data())) path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path.empty()) fs::remove_all(path, ignored);
    }
};

std::vector<std::string> expectedFileNames() {
    std::vector<std::string> names = {"Batman.raw", "Sand.bmp", "Bubble.bmp"};
    for (int i = 0; i < kCausticFrameCount; ++i) names.push_back(formatCausticFileName(i));
    return names;
}

TEST(HeightMap, HasOneByteForEachOfTheMillionSamples) {
    EXPECT_EQ(makeHeightMap().size(), 1048576u);
}

TEST(HeightMap, IsRarelyLowEnoughToShadeBlackAndNeverSaturates) {
    const Bytes map = makeHeightMap();
    size_t low = 0, extreme = 0;
    for (uint8_t h : map) {
        if (h < 39) ++low;
        if (h == 0 || h == 255) ++extreme;
    }
    EXPECT_LT(low, map.size() / 20);
    EXPECT_LT(extreme, map.size() / 1000);
}

TEST(HeightMap, HasReliefAtTheFloorsSampleSpacing) {
    const Bytes map = makeHeightMap();
    std::vector<double> samples;
    for (int z = 0; z < 1024; z += 16)
        for (int x = 0; x < 1024; x += 16) samples.push_back(map[z * 1024 + x]);
    const double m = mean(samples);
    double variance = 0;
    for (double s : samples) variance += (s - m) * (s - m);
    EXPECT_GT(std::sqrt(variance / samples.size()), 12.0);
    EXPECT_GT(m, 100.0);
    EXPECT_LT(m, 200.0);
}

TEST(HeightMap, IsSmoothBetweenNeighbouringBytes) {
    // Smooth features change far less over 1 byte than over 16; noise would
    // change about as much over either distance.
    const Bytes map = makeHeightMap();
    double near = 0, far = 0;
    size_t n = 0;
    for (int z = 0; z < 1024; z += 4) {
        for (int x = 0; x + 16 < 1024; x += 4) {
            const size_t i = static_cast<size_t>(z) * 1024 + x;
            near += std::abs(map[i + 1] - map[i]);
            far += std::abs(map[i + 16] - map[i]);
            ++n;
        }
    }
    EXPECT_GT(far / n, 1.0);
    EXPECT_LT(4.0 * near, far);
}

TEST(SandBmp, HasA24BitUncompressedHeader) {
    expectBmpHeader(makeSandBmp(), 128);
}

TEST(SandBmp, TilesWithoutSeamsInEveryChannel) {
    const Bytes file = makeSandBmp();
    for (int channel = 0; channel < 3; ++channel) {
        expectSeamlessTexture(bmpChannel(file, channel), "sand channel " + std::to_string(channel));
    }
}

TEST(SandBmp, IsWarmBeigeWithSpeckle) {
    const Bytes file = makeSandBmp();
    const Plane blue = bmpChannel(file, 0), green = bmpChannel(file, 1), red = bmpChannel(file, 2);
    EXPECT_GT(mean(red.v), mean(green.v) + 10);
    EXPECT_GT(mean(green.v), mean(blue.v) + 15);
    EXPECT_GT(mean(green.v), 120.0);
    EXPECT_LT(mean(red.v), 245.0);
    const double m = mean(green.v);
    double variance = 0;
    for (double g : green.v) variance += (g - m) * (g - m);
    EXPECT_GT(std::sqrt(variance / green.v.size()), 8.0);
}

TEST(BubbleBmp, HasA24BitUncompressedHeader) {
    expectBmpHeader(makeBubbleBmp(), 32);
}

TEST(BubbleBmp, IsARimOnBlackWithAFaintBluishInside) {
    const Bytes file = makeBubbleBmp();
    const Plane blue = bmpChannel(file, 0), red = bmpChannel(file, 2);
    for (int c : {0, 31}) {
        for (int r : {0, 31}) {
            EXPECT_EQ(blue.at(c, r), 0) << c << "," << r;
            EXPECT_EQ(red.at(c, r), 0) << c << "," << r;
        }
    }
    // Centre versus the rim three pixels from the edge, on the lower side
    // away from the highlight.
    const double centre = blue.at(16, 16);
    const double rim = blue.at(16, 3);
    EXPECT_GT(centre, 15.0);
    EXPECT_LT(centre, 0.5 * rim);
    EXPECT_GT(rim, 180.0);
    EXPECT_GT(blue.at(16, 16), red.at(16, 16));
}

TEST(BubbleBmp, HighlightIsUpperLeftWhenTheFirstRowIsTheBottom) {
    const Bytes file = makeBubbleBmp();
    const Plane green = bmpChannel(file, 1);
    int bestX = 0, bestY = 0;
    // Search inside the rim only, so the highlight itself is found.
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const double dx = x + 0.5 - 16, dy = y + 0.5 - 16;
            if (dx * dx + dy * dy > 10.0 * 10.0) continue;
            if (green.at(x, y) > green.at(bestX, bestY)) {
                bestX = x;
                bestY = y;
            }
        }
    }
    EXPECT_LT(bestX, 14);
    EXPECT_GT(bestY, 18);  // stored rows run bottom to top
    EXPECT_GT(green.at(bestX, bestY), 240.0);
}

TEST(CausticTga, EveryFrameHasAn8BitGreyscaleHeader) {
    for (int frame = 0; frame < kCausticFrameCount; ++frame) {
        const Bytes file = makeCausticTga(frame);
        ASSERT_EQ(file.size(), 18u + 128u * 128u) << frame;
        EXPECT_EQ(file[0], 0) << frame;
        EXPECT_EQ(file[1], 0) << frame;
        EXPECT_EQ(file[2], 3) << frame;
        for (int i = 3; i < 12; ++i) EXPECT_EQ(file[i], 0) << frame << " byte " << i;
        EXPECT_EQ(readU16(file, 12), 128u) << frame;
        EXPECT_EQ(readU16(file, 14), 128u) << frame;
        EXPECT_EQ(file[16], 8) << frame;
        EXPECT_EQ(file[17], 0) << frame;
    }
}

TEST(CausticTga, EveryFrameTilesWithoutSeams) {
    for (int frame = 0; frame < kCausticFrameCount; ++frame) {
        expectSeamlessLines(tgaPlane(makeCausticTga(frame)), "caustic frame " + std::to_string(frame));
    }
}

TEST(CausticTga, IsBrightLinesOverAModerateBackground) {
    for (int frame = 0; frame < kCausticFrameCount; frame += 5) {
        Plane p = tgaPlane(makeCausticTga(frame));
        EXPECT_GT(mean(p.v), 110.0) << frame;
        EXPECT_LT(mean(p.v), 170.0) << frame;
        std::sort(p.v.begin(), p.v.end());
        EXPECT_GE(p.v.back(), 240.0) << frame;
        EXPECT_GE(p.v.front(), 50.0) << frame;
        // Most of the picture is background; the lines are thin.
        EXPECT_LT(p.v[p.v.size() / 2], 130.0) << frame;
        EXPECT_GT(p.v[p.v.size() * 95 / 100], 200.0) << frame;
    }
}

TEST(CausticTga, FramesMoveAndTheLastFlowsIntoTheFirst) {
    std::vector<Plane> frames;
    for (int frame = 0; frame < kCausticFrameCount; ++frame) frames.push_back(tgaPlane(makeCausticTga(frame)));
    std::vector<double> steps;
    for (int i = 0; i + 1 < kCausticFrameCount; ++i) steps.push_back(meanAbsDifference(frames[i], frames[i + 1]));
    const double typical = mean(steps);
    const double wrapStep = meanAbsDifference(frames.back(), frames.front());
    EXPECT_GT(typical, 1.0);
    EXPECT_LE(wrapStep, 1.5 * typical);
    EXPECT_LE(wrapStep, 1.5 * steps.front());
    // Halfway round the loop the picture is far from where it started.
    EXPECT_GT(meanAbsDifference(frames[0], frames[16]), 2.0 * typical);
}

TEST(CausticFileName, HasTwoDigits) {
    EXPECT_EQ(formatCausticFileName(0), "caust00.tga");
    EXPECT_EQ(formatCausticFileName(9), "caust09.tga");
    EXPECT_EQ(formatCausticFileName(10), "caust10.tga");
    EXPECT_EQ(formatCausticFileName(31), "caust31.tga");
}

TEST(WriteDataFiles, WritesEveryFileWithItsSize) {
    TempDir dir;
    ASSERT_FALSE(dir.path.empty());
    std::string error;
    ASSERT_TRUE(writeDataFiles(dir.path.string(), &error)) << error;
    EXPECT_EQ(fs::file_size(dir.path / "Batman.raw"), 1048576u);
    EXPECT_EQ(fs::file_size(dir.path / "Sand.bmp"), 54u + 128u * 128u * 3u);
    EXPECT_EQ(fs::file_size(dir.path / "Bubble.bmp"), 54u + 32u * 32u * 3u);
    for (int i = 0; i < kCausticFrameCount; ++i) {
        EXPECT_EQ(fs::file_size(dir.path / formatCausticFileName(i)), 18u + 128u * 128u) << i;
    }
    size_t count = 0;
    for (auto it = fs::directory_iterator(dir.path); it != fs::directory_iterator(); ++it) ++count;
    EXPECT_EQ(count, 35u);
}

TEST(WriteDataFiles, TwoRunsWriteIdenticalBytes) {
    TempDir first, second;
    ASSERT_FALSE(first.path.empty());
    ASSERT_FALSE(second.path.empty());
    ASSERT_TRUE(writeDataFiles(first.path.string()));
    ASSERT_TRUE(writeDataFiles(second.path.string() + "/"));
    for (const std::string& name : expectedFileNames()) {
        const Bytes a = readFile(first.path / name);
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_TRUE(a == readFile(second.path / name)) << name;
    }
    EXPECT_TRUE(readFile(first.path / "Batman.raw") == makeHeightMap());
    EXPECT_TRUE(readFile(first.path / "Sand.bmp") == makeSandBmp());
    EXPECT_TRUE(readFile(first.path / "Bubble.bmp") == makeBubbleBmp());
    EXPECT_TRUE(readFile(first.path / "caust17.tga") == makeCausticTga(17));
}

TEST(WriteDataFiles, FailsWithAReasonWhenTheDirectoryIsMissing) {
    TempDir dir;
    ASSERT_FALSE(dir.path.empty());
    const fs::path missing = dir.path / "no" / "such" / "dir";
    std::string error;
    EXPECT_FALSE(writeDataFiles(missing.string(), &error));
    EXPECT_NE(error.find(missing.string()), std::string::npos) << error;
    EXPECT_FALSE(writeDataFiles(missing.string()));
}

}  // namespace
