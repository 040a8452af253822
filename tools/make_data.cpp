#include "tools/make_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace {

constexpr double kTwoPi = 6.283185307179586;

// ---------------------------------------------------------------------------
// Noise building blocks. Everything is derived from an integer hash, so the
// pictures depend only on the constants below.

// Scrambles a lattice point and a seed into 32 evenly spread bits.
uint32_t hashLattice(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

// The hash of a lattice point as a number in [0, 1).
double unitHash(int32_t x, int32_t y, uint32_t seed) {
    return static_cast<double>(hashLattice(x, y, seed) >> 8) * (1.0 / 16777216.0);
}

// v reduced into [0, period).
int wrapIndex(int v, int period) {
    const int m = v % period;
    return m < 0 ? m + period : m;
}

// Quintic ease curve: flat at 0 and 1, so noise has no visible lattice creases.
double fade(double t) {
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

// Smooth value noise in [0, 1) on a lattice of unit cells that repeats every
// `period` cells in x and y.
double periodicValueNoise(double x, double y, int period, uint32_t seed) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int x0 = wrapIndex(static_cast<int>(fx), period);
    const int y0 = wrapIndex(static_cast<int>(fy), period);
    const int x1 = wrapIndex(x0 + 1, period);
    const int y1 = wrapIndex(y0 + 1, period);
    const double sx = fade(x - fx);
    const double sy = fade(y - fy);
    const double top = unitHash(x0, y0, seed) + (unitHash(x1, y0, seed) - unitHash(x0, y0, seed)) * sx;
    const double bottom = unitHash(x0, y1, seed) + (unitHash(x1, y1, seed) - unitHash(x0, y1, seed)) * sx;
    return top + (bottom - top) * sy;
}

// Octaves of periodic value noise, each twice as fine and half as strong as
// the one before; x and y are in cells of the coarsest octave. Centred on 0,
// within about -0.5 to 0.5.
double periodicFbm(double x, double y, int period, int octaves, uint32_t seed) {
    double sum = 0.0;
    double amplitude = 1.0;
    double total = 0.0;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += amplitude * (periodicValueNoise(x, y, period, seed + 101u * octave) - 0.5);
        total += amplitude;
        x *= 2.0;
        y *= 2.0;
        period *= 2;
        amplitude *= 0.5;
    }
    return sum / total;
}

// Rounds and clamps a value to a byte.
uint8_t toByte(double v) {
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
}

// ---------------------------------------------------------------------------
// File encoders.

// Appends a 16-bit little-endian integer.
void putU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

// Appends a 32-bit little-endian integer.
void putU32(std::vector<uint8_t>& out, uint32_t v) {
    putU16(out, v & 0xFFFF);
    putU16(out, (v >> 16) & 0xFFFF);
}

// An RGB picture stored top row first, three bytes (R, G, B) per pixel.
struct RgbImage {
    int width;
    int height;
    std::vector<uint8_t> rgb;
};

// A 24-bit uncompressed BMP file of `image`: rows stored bottom row first in
// B, G, R order, each padded to a multiple of 4 bytes.
std::vector<uint8_t> encodeBmp24(const RgbImage& image) {
    const uint32_t rowBytes = (static_cast<uint32_t>(image.width) * 3u + 3u) & ~3u;
    const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(image.height);
    const uint32_t pixelOffset = 14 + 40;
    std::vector<uint8_t> out;
    out.reserve(pixelOffset + pixelBytes);
    // File header.
    out.push_back('B');
    out.push_back('M');
    putU32(out, pixelOffset + pixelBytes);
    putU16(out, 0);
    putU16(out, 0);
    putU32(out, pixelOffset);
    // Info header.
    putU32(out, 40);
    putU32(out, static_cast<uint32_t>(image.width));
    putU32(out, static_cast<uint32_t>(image.height));
    putU16(out, 1);     // planes
    putU16(out, 24);    // bits per pixel
    putU32(out, 0);     // no compression
    putU32(out, pixelBytes);
    putU32(out, 2835);  // 72 dpi, in pixels per metre
    putU32(out, 2835);
    putU32(out, 0);
    putU32(out, 0);
    for (int row = image.height - 1; row >= 0; --row) {
        const uint8_t* src = &image.rgb[static_cast<size_t>(row) * image.width * 3];
        for (int x = 0; x < image.width; ++x) {
            out.push_back(src[3 * x + 2]);
            out.push_back(src[3 * x + 1]);
            out.push_back(src[3 * x + 0]);
        }
        for (uint32_t pad = static_cast<uint32_t>(image.width) * 3u; pad < rowBytes; ++pad) {
            out.push_back(0);
        }
    }
    return out;
}

// An uncompressed 8-bit greyscale TGA file of `grey` (width * height bytes).
std::vector<uint8_t> encodeGreyTga(int width, int height, const std::vector<uint8_t>& grey) {
    std::vector<uint8_t> out;
    out.reserve(18 + grey.size());
    out.push_back(0);  // no image ID
    out.push_back(0);  // no colour map
    out.push_back(3);  // uncompressed greyscale
    putU16(out, 0);    // colour-map first entry
    putU16(out, 0);    // colour-map length
    out.push_back(0);  // colour-map entry size
    putU16(out, 0);    // x origin
    putU16(out, 0);    // y origin
    putU16(out, static_cast<uint32_t>(width));
    putU16(out, static_cast<uint32_t>(height));
    out.push_back(8);  // bits per pixel
    out.push_back(0);  // descriptor
    out.insert(out.end(), grey.begin(), grey.end());
    return out;
}

// ---------------------------------------------------------------------------
// Height map.

// Long, gently rounded dunes, about -1 to 1, at column x and row z.
double duneHeight(double x, double z) {
    // Rolling mounds repeating every 1024 samples, lattice cells of 256.
    const double mounds = 2.2 * periodicFbm(x / 256.0, z / 256.0, 4, 3, 7u);
    // A broad swell running diagonally, bent by the mounds.
    const double swell = std::sin(kTwoPi * (0.8 * x + 0.6 * z) / 460.0 + 2.5 * mounds);
    return 0.7 * mounds + 0.35 * swell;
}

// Fine wind ripples, about -1.3 to 1.3: crests some 90 samples apart (five to
// six floor vertices), bent by slow noise, with a steeper lee side.
double rippleHeight(double x, double z) {
    const double bend = 3.0 * periodicFbm(x / 512.0, z / 512.0, 2, 2, 19u);
    const double across = x * 0.34 + z * 0.94;
    const double phase = kTwoPi * across / 90.0 + bend;
    const double shape = std::sin(phase) + 0.3 * std::sin(2.0 * phase);
    const double strength = 0.6 + 1.6 * periodicFbm(x / 256.0, z / 256.0, 4, 2, 23u);
    return shape * std::clamp(strength, 0.2, 1.0);
}

}  // namespace

// Sand bed heights: dunes plus ripples around 155, softly limited to 70..240.
std::vector<uint8_t> makeHeightMap() {
    std::vector<uint8_t> map(static_cast<size_t>(kHeightMapSide) * kHeightMapSide);
    for (int z = 0; z < kHeightMapSide; ++z) {
        for (int x = 0; x < kHeightMapSide; ++x) {
            const double raw = 100.0 * duneHeight(x, z) + 14.0 * rippleHeight(x, z);
            const double h = 155.0 + 85.0 * std::tanh(raw / 85.0);
            map[static_cast<size_t>(z) * kHeightMapSide + x] = toByte(h);
        }
    }
    return map;
}

namespace {

// ---------------------------------------------------------------------------
// Sand texture.

// Colour of one sand pixel: warm beige mottled by tileable noise, with dark
// mineral specks and pale quartz grains scattered per pixel.
void sandPixel(int x, int y, uint8_t* rgb) {
    const double cell = kSandSide / 4.0;  // 4 coarse lattice cells across
    const double mottle = periodicFbm(x / cell, y / cell, 4, 4, 31u);
    const double tint = periodicFbm(x / cell, y / cell, 4, 2, 37u);
    const double grain = periodicValueNoise(x / 2.0, y / 2.0, kSandSide / 2, 41u) - 0.5;
    const int px = wrapIndex(x, kSandSide);
    const int py = wrapIndex(y, kSandSide);
    const double speck = unitHash(px, py, 43u);
    double light = 1.0 + 0.35 * mottle + 0.16 * grain + 0.10 * (unitHash(px, py, 47u) - 0.5);
    double r = 222.0, g = 196.0, b = 150.0;  // beige
    const double toTan = std::clamp(0.5 + 1.6 * tint, 0.0, 1.0);
    r += toTan * (200.0 - r);
    g += toTan * (166.0 - g);
    b += toTan * (112.0 - b);
    if (speck < 0.05) {
        light *= 0.62;  // dark grain
        b *= 0.85;
    } else if (speck > 0.965) {
        light *= 1.12;  // bright quartz grain, paler
        r += 0.4 * (250.0 - r);
        g += 0.4 * (246.0 - g);
        b += 0.4 * (232.0 - b);
    }
    rgb[0] = toByte(r * light);
    rgb[1] = toByte(g * light);
    rgb[2] = toByte(b * light);
}

// ---------------------------------------------------------------------------
// Bubble sprite.

// Colour of one bubble pixel (y counted from the top): a thin bright rim, a
// faint bluish interior brightening towards the rim, a highlight up and left.
void bubblePixel(int x, int y, uint8_t* rgb) {
    const double centre = kBubbleSide / 2.0;
    const double rimRadius = 13.0;
    const double dx = x + 0.5 - centre;
    const double dy = y + 0.5 - centre;
    const double d = std::sqrt(dx * dx + dy * dy);
    const double rimOffset = (d - rimRadius) / 1.25;
    const double rim = std::exp(-rimOffset * rimOffset);
    const double edge = d / rimRadius;
    const double inside = d < rimRadius ? 0.22 + 0.3 * edge * edge * edge * edge : 0.0;
    const double hx = dx + 0.42 * rimRadius;
    const double hy = dy + 0.42 * rimRadius;
    const double highlight = std::exp(-(hx * hx + hy * hy) / (2.0 * 1.8 * 1.8));
    rgb[0] = toByte(225.0 * rim + 170.0 * inside + 255.0 * highlight);
    rgb[1] = toByte(238.0 * rim + 200.0 * inside + 255.0 * highlight);
    rgb[2] = toByte(255.0 * rim + 240.0 * inside + 255.0 * highlight);
}

// Fills an RgbImage of the given side with a per-pixel colour function.
RgbImage paintImage(int side, void (*pixel)(int, int, uint8_t*)) {
    RgbImage image{side, side, std::vector<uint8_t>(static_cast<size_t>(side) * side * 3)};
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            pixel(x, y, &image.rgb[(static_cast<size_t>(y) * side + x) * 3]);
        }
    }
    return image;
}

// ---------------------------------------------------------------------------
// Caustics: the bright lines are the borders of a cellular (Voronoi) pattern
// of drifting points on a periodic grid, seen through a gentle sine warp that
// curves them. Points move on small circles and the warp shifts with whole
// multiples of the loop phase, so frame 32 would equal frame 0.

constexpr int kCausticCells = 5;  // cells across one tile

// Position, in cell units, of the feature point of cell (cx, cy) at `phase`.
void causticPoint(int cx, int cy, double phase, double* px, double* py) {
    const int wx = wrapIndex(cx, kCausticCells);
    const int wy = wrapIndex(cy, kCausticCells);
    const double baseX = unitHash(wx, wy, 61u);
    const double baseY = unitHash(wx, wy, 62u);
    const double radius = 0.08 + 0.08 * unitHash(wx, wy, 63u);
    const double start = kTwoPi * unitHash(wx, wy, 64u);
    const double turns = (hashLattice(wx, wy, 65u) & 1u) ? 1.0 : -1.0;
    *px = cx + baseX + radius * std::cos(turns * phase + start);
    *py = cy + baseY + radius * std::sin(turns * phase + start);
}

// Distances to the nearest and second nearest feature points from (u, v).
void nearestTwo(double u, double v, double phase, double* f1, double* f2) {
    const int cu = static_cast<int>(std::floor(u));
    const int cv = static_cast<int>(std::floor(v));
    double best = 1e9, second = 1e9;
    for (int j = -2; j <= 2; ++j) {
        for (int i = -2; i <= 2; ++i) {
            double px, py;
            causticPoint(cu + i, cv + j, phase, &px, &py);
            const double d = std::hypot(px - u, py - v);
            if (d < best) {
                second = best;
                best = d;
            } else if (d < second) {
                second = d;
            }
        }
    }
    *f1 = best;
    *f2 = second;
}

// Brightness, 0 to 255, of caustic pixel (x, y) at loop `phase`.
double causticValue(int x, int y, double phase) {
    const double n = kCausticCells;
    const double u = x * n / kCausticSide;
    const double v = y * n / kCausticSide;
    // Warp terms use whole wave counts per tile, so the warp tiles too.
    const double wu = u + 0.22 * std::sin(kTwoPi * 2.0 * v / n + phase + 1.3)
                        + 0.10 * std::sin(kTwoPi * 3.0 * (u + v) / n - phase + 0.4);
    const double wv = v + 0.22 * std::sin(kTwoPi * 2.0 * u / n - phase + 4.1)
                        + 0.10 * std::sin(kTwoPi * 3.0 * (u - v) / n + phase + 2.2);
    double f1, f2;
    nearestTwo(wu, wv, phase, &f1, &f2);
    const double gap = f2 - f1;  // near 0 on the border between two cells
    const double core = std::exp(-(gap / 0.06) * (gap / 0.06));
    const double glow = std::exp(-(gap / 0.2) * (gap / 0.2));
    const double line = std::min(1.0, 0.85 * core + 0.4 * glow);
    const double background = 84.0 + 20.0 * std::min(1.0, f1);
    return background + (255.0 - background) * line;
}

// Writes `bytes` to `path`; false if the file can't be written completely.
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) {
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        file.close();
    }
    if (!file) {
        if (error) {
            *error = "cannot write " + path;
        }
        return false;
    }
    return true;
}

}  // namespace

// Sand.bmp: 128 x 128 tileable sand grain.
std::vector<uint8_t> makeSandBmp() {
    return encodeBmp24(paintImage(kSandSide, sandPixel));
}

// Bubble.bmp: 32 x 32 bubble on black, upright when texture row 0 is the bottom.
std::vector<uint8_t> makeBubbleBmp() {
    return encodeBmp24(paintImage(kBubbleSide, bubblePixel));
}

// One caustic frame: 128 x 128 greyscale at phase 2 pi frame / 32.
std::vector<uint8_t> makeCausticTga(int frame) {
    const double phase = kTwoPi * wrapIndex(frame, kCausticFrameCount) / kCausticFrameCount;
    std::vector<uint8_t> grey(static_cast<size_t>(kCausticSide) * kCausticSide);
    for (int y = 0; y < kCausticSide; ++y) {
        for (int x = 0; x < kCausticSide; ++x) {
            grey[static_cast<size_t>(y) * kCausticSide + x] = toByte(causticValue(x, y, phase));
        }
    }
    return encodeGreyTga(kCausticSide, kCausticSide, grey);
}

// Two-digit caustic frame file name.
std::string formatCausticFileName(int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "caust%02d.tga", frame);
    return name;
}

// Generates every data file and writes it into dir.
bool writeDataFiles(const std::string& dir, std::string* error) {
    const std::string prefix = dir.empty() || dir.back() == '/' ? dir : dir + "/";
    if (!writeFile(prefix + "Batman.raw", makeHeightMap(), error) ||
        !writeFile(prefix + "Sand.bmp", makeSandBmp(), error) ||
        !writeFile(prefix + "Bubble.bmp", makeBubbleBmp(), error)) {
        return false;
    }
    for (int frame = 0; frame < kCausticFrameCount; ++frame) {
        if (!writeFile(prefix + formatCausticFileName(frame), makeCausticTga(frame), error)) {
            return false;
        }
    }
    return true;
}
