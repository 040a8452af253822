#include "platform/system/last_error.h"

#include <cstdarg>
#include <cstdio>

namespace {

char lastError[512] = "";

} // namespace

void setPlatformError(const char* format, ...) {
    // The arguments may be the line itself (a reason kept across a clean-up).
    char line[sizeof lastError];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    std::snprintf(lastError, sizeof lastError, "%s", line);
}

const char* readPlatformError() { return lastError; }
