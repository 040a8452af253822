// Fuzz target for the height-map reader: the input is written as "Batman.raw" in a private working
// directory, and loadHeightMap must leave the map holding the file's first 1,048,576 bytes (a shorter file
// fills it from the start, the rest stays zero) without showing any message, since the file exists.

#include "platform/headless.h"
#include "scene/sand.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr size_t kMapBytes = sizeof sandHeightMap;

char workDir[] = "/tmp/marivelle-fuzz-height-XXXXXX";

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_height_map: %s\n", what);
    std::abort();
}

void check(bool condition, const char* what)
{
    if (!condition) {
        fail(what);
    }
}

void removeWorkDir()
{
    unlink("Batman.raw");
    if (chdir("/") == 0) {
        rmdir(workDir);
    }
}

void writeHeightFile(const uint8_t* data, size_t size)
{
    const int fd = open("Batman.raw", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    check(fd >= 0, "cannot create Batman.raw");
    size_t done = 0;
    while (done < size) {
        const ssize_t wrote = write(fd, data + done, size - done);
        check(wrote > 0, "cannot write Batman.raw");
        done += static_cast<size_t>(wrote);
    }
    check(close(fd) == 0, "cannot close Batman.raw");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The reader opens its file relative to the working directory: enter a fresh one for this process.
    check(mkdtemp(workDir) != nullptr, "cannot make a working directory");
    check(chdir(workDir) == 0, "cannot enter the working directory");
    std::atexit(removeWorkDir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeHeightFile(data, size);
    std::memset(sandHeightMap, 0, kMapBytes);
    headlessClearMessages();
    loadHeightMap();
    check(headlessMessages().empty(), "a message was shown for an existing, readable file");
    const size_t used = size < kMapBytes ? size : kMapBytes;
    check(used == 0 || std::memcmp(sandHeightMap, data, used) == 0, "map differs from the file's bytes");
    for (size_t i = used; i < kMapBytes; ++i) {
        if (sandHeightMap[i] != 0) {
            fail("map not zero past the end of the file");
        }
    }
    return 0;
}
