#pragma once
// Start-up shared by the headless tools.
#include <string>

// Enters the data folder and creates a headless context of the given size.
// On failure prints "TOOL: reason" on standard error and returns false.
bool openHeadlessContext(const char* tool, const std::string& dataDir, int width, int height);
// Destroys the context, and with it the GL objects the scene made.
void closeHeadlessContext();
