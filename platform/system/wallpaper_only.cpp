#include "platform/system/wallpaper_only.h"

#include <cstdio>

#include "platform/system/last_error.h"

namespace {

bool refuse() {
    setPlatformError("the wallpaper's backend draws only the wallpaper");
    return false;
}

} // namespace

bool refuseOwnWindow(const char*, int, int) { return refuse(); }
bool refuseGivenWindow(uint64_t) { return refuse(); }
bool refuseFullscreen(bool) { return refuse(); }
bool answerNotFullscreen() { return false; }
void ignoreScreensaverHold(bool, const char*) {}
int answerNoMonitorChoice(int) { return 0; }
void ignoreShowWindow() {}
bool answerKeyUp(int) { return false; }

void printMessageBox(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "Error", text);
}
