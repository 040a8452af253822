#include "platform/system/host_channel.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>

#include "platform/system/last_error.h"

namespace {

// No word is longer; a longer line is nobody's word and is dropped whole.
constexpr size_t kLongestLine = 64;
constexpr int kLargestSide = 16384;

// A side of the window: 1 to kLargestSide in plain digits.
bool readSide(const char* text, int* side) {
    if (*text == '\0' || std::strlen(text) > 5) {
        return false;
    }
    int value = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') {
            return false;
        }
        value = value * 10 + (*c - '0');
    }
    if (value < 1 || value > kLargestSide) {
        return false;
    }
    *side = value;
    return true;
}

void readInput(void (*deliver)(const HostWord& word)) {
    std::string line;
    bool overlong = false;
    char buffer[256];
    while (true) {
        ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        for (ssize_t i = 0; i < got; ++i) {
            if (buffer[i] != '\n') {
                overlong = overlong || line.size() >= kLongestLine;
                if (!overlong) {
                    line.push_back(buffer[i]);
                }
                continue;
            }
            HostWord word;
            if (!overlong && parseHostLine(line, &word)) {
                deliver(word);
            }
            line.clear();
            overlong = false;
        }
    }
    deliver(HostWord{});
}

} // namespace

bool parseHostLine(const std::string& line, HostWord* word) {
    if (line == "seen" || line == "unseen") {
        *word = HostWord{};
        word->kind = line == "seen" ? HostWordKind::Seen : HostWordKind::Unseen;
        return true;
    }
    if (line.rfind("size ", 0) != 0) {
        return false;
    }
    std::string sides = line.substr(5);
    size_t blank = sides.find(' ');
    if (blank == std::string::npos) {
        return false;
    }
    std::string width = sides.substr(0, blank);
    std::string height = sides.substr(blank + 1);
    HostWord size;
    size.kind = HostWordKind::Size;
    if (!readSide(width.c_str(), &size.width) || !readSide(height.c_str(), &size.height)) {
        return false;
    }
    *word = size;
    return true;
}

bool startHostChannel(void (*deliver)(const HostWord& word)) {
    try {
        // Left blocked in read() at the end: the process ending takes it.
        std::thread(readInput, deliver).detach();
    } catch (const std::system_error& error) {
        setPlatformError("cannot start reading standard input: %s", error.what());
        return false;
    }
    return true;
}
