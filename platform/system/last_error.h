#pragma once
// The one line that says why the last platform call failed, whichever
// backend made it: platformGetLastError() returns it.

// Records the line, printf-style.
void setPlatformError(const char* format, ...) __attribute__((format(printf, 1, 2)));
const char* readPlatformError();
