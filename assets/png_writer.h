#pragma once
// Writes RGBA pixels (row 0 at the bottom, as GL reads them) to a PNG file.
#include <cstdint>
#include <string>
#include <vector>

bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);
