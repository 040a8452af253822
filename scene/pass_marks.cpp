#include "scene/pass_marks.h"

void (*passEndObserver)(FramePass pass) = nullptr;

const char* nameFramePass(FramePass pass) {
    static const char* const names[PASS_COUNT] = {
        "setup", "grid room", "stencil", "water", "tank shell",
        "fish", "sand", "bubbles", "near glass",
    };
    return pass >= 0 && pass < PASS_COUNT ? names[pass] : "?";
}
