#pragma once
// Writes RGBA pixels (row 0 at the bottom, as GL reads them) as a PNG.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Writes the WIDTH x HEIGHT picture to FILE, which the caller opened and
// closes, and flushes it. True when every byte went out; false with the reason
// in *WHY: the system's word for a write that failed ("No space left on
// device") or what the encoder refused. libpng itself prints nothing.
bool writePng(std::FILE* file, int width, int height, const std::vector<uint8_t>& rgba, std::string* why);
// The same into the file at PATH, made or emptied, closed before it returns.
bool writePngFile(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba,
                  std::string* why);
