#pragma once
// Size arithmetic of a layer surface: what the compositor configures is in
// the output's logical pixels, the buffer is in its real ones.
#include <cstdint>

// The largest buffer side a surface is given; larger sizes are refused.
constexpr int kWlLargestBufferSide = 16384;

// The buffer scale for an output that reported SCALE: 1 for none or a
// nonsense value, at most 8.
int32_t chooseWlBufferScale(int32_t scale);
// The buffer for a configured WIDTH x HEIGHT (logical pixels, as the event
// carries them, unsigned) at SCALE. False when the compositor gave no size
// yet (a zero side) or the buffer would pass kWlLargestBufferSide; then the
// output gets no buffer until a later configure.
bool computeWlBufferSize(uint32_t width, uint32_t height, int32_t scale, int* bufferWidth, int* bufferHeight);
