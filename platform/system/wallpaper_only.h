#pragma once
// The seam's window functions for a backend that draws only the wallpaper:
// no window of the program's own, no screensaver window, no keys. Both
// wallpaper backends fill their tables with these.
#include <cstdint>

// Each records that the backend has no such window and returns false.
bool refuseOwnWindow(const char* title, int width, int height);
bool refuseGivenWindow(uint64_t windowId);
bool refuseFullscreen(bool on);
// A wallpaper is never fullscreen, never holds the screensaver off, covers
// every monitor rather than choosing one, shows at once and reads no keys.
bool answerNotFullscreen();
void ignoreScreensaverHold(bool on, const char* reason);
int answerNoMonitorChoice(int index);
void ignoreShowWindow();
bool answerKeyUp(int virtualKey);
// A wallpaper has no window to own a box, and may run with no terminal: the
// text goes to standard error.
void printMessageBox(const char* text, const char* caption);
