#pragma once
// Little-endian fields and the plain 24-bit BMP headers, for the tests that build their own files.

#include <cstddef>
#include <cstdint>
#include <vector>

inline void putLe16(std::vector<unsigned char>& bytes, size_t at, uint16_t value)
{
    bytes[at] = static_cast<unsigned char>(value);
    bytes[at + 1] = static_cast<unsigned char>(value >> 8);
}

inline void putLe32(std::vector<unsigned char>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

// Fills the first 54 bytes with the headers of an uncompressed 24-bit BMP whose rows follow right after
// them: a 14-byte file header and a 40-byte info header. A negative height marks a top-down file;
// imageSize is written as given (0 lets the reader work it out).
inline void putBmpHeaders(std::vector<unsigned char>& bytes, int32_t width, int32_t height, uint32_t imageSize)
{
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4;
    const uint32_t rows = static_cast<uint32_t>(height < 0 ? -static_cast<int64_t>(height) : height);
    bytes[0] = 'B';
    bytes[1] = 'M';
    putLe32(bytes, 2, 54 + rowBytes * rows);
    putLe32(bytes, 10, 54);
    putLe32(bytes, 14, 40);
    putLe32(bytes, 18, static_cast<uint32_t>(width));
    putLe32(bytes, 22, static_cast<uint32_t>(height));
    putLe16(bytes, 26, 1);
    putLe16(bytes, 28, 24);
    putLe32(bytes, 34, imageSize);
}
