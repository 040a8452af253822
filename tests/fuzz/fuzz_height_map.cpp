// Fuzz target for the height-map reader: the input is written as "Batman.raw" in a private working
// directory, and loadHeightMap must leave the map holding the file's first 1,048,576 bytes (a shorter file
// fills it from the start, the rest stays zero) without showing any message, since the file exists.
// "Batman.raw" is a link to an in-memory file (memfd) of this process, so rewriting it a megabyte at a
// time costs no disk traffic; the reader still opens it by name through the working directory.

#include "platform/headless/headless.h"
#include "scene/sand.h"
#include "tests/fuzz/memory_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace {

constexpr size_t kMapBytes = sizeof sandHeightMap.samples;

char workDir[] = "/tmp/marivelle-fuzz-height-XXXXXX";
MemoryFile heightFile;

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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The reader opens its file relative to the working directory: enter a fresh one for this process.
    check(mkdtemp(workDir) != nullptr, "cannot make a working directory");
    check(chdir(workDir) == 0, "cannot enter the working directory");
    check(createMemoryFile("Batman.raw", &heightFile), "cannot create the height file");
    check(symlink(heightFile.path, "Batman.raw") == 0, "cannot link Batman.raw");
    std::atexit(removeWorkDir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    check(rewriteMemoryFile(heightFile, data, size), "cannot write Batman.raw");
    std::memset(sandHeightMap.samples, 0, kMapBytes);
    headlessClearMessages();
    loadHeightMap();
    check(headlessGetMessages().empty(), "a message was shown for an existing, readable file");
    const size_t used = size < kMapBytes ? size : kMapBytes;
    check(used == 0 || std::memcmp(sandHeightMap.samples, data, used) == 0, "map differs from the file's bytes");
    static const uint8_t zeros[kMapBytes] = {};
    check(std::memcmp(sandHeightMap.samples + used, zeros, kMapBytes - used) == 0, "map not zero past the end of the file");
    return 0;
}
