#include "platform/wayland/geometry.h"

int32_t chooseWlBufferScale(int32_t scale) {
    if (scale < 1) {
        return 1;
    }
    return scale > 8 ? 8 : scale;
}

bool computeWlBufferSize(uint32_t width, uint32_t height, int32_t scale, int* bufferWidth, int* bufferHeight) {
    int64_t factor = chooseWlBufferScale(scale);
    int64_t w = static_cast<int64_t>(width) * factor;
    int64_t h = static_cast<int64_t>(height) * factor;
    if (w <= 0 || h <= 0 || w > kWlLargestBufferSide || h > kWlLargestBufferSide) {
        return false;
    }
    *bufferWidth = static_cast<int>(w);
    *bufferHeight = static_cast<int>(h);
    return true;
}
