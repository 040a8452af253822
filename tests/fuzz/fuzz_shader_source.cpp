// Fuzz target for the shader-source reader: the input becomes a file, which is read with the scene's
// 8192-character limit. On Linux a text stream translates nothing, so the file is taken exactly when it
// has at most 8192 bytes, and then the buffer holds those bytes and a terminating zero; a longer file is
// refused without the buffer being touched. The buffer is a heap block of exactly limit + 1 bytes, so
// AddressSanitizer sees any write past it.

#include "assets/shader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr long kLimit = 8192;
constexpr unsigned char kUntouched = 0xA5;

// The file lives in memory (memfd) and is opened by the reader through its /proc path like any other
// file; rewriting a disk file on every run would make the file system, not the reader, the bottleneck.
int sourceFd = -1;
char sourcePath[64];
char* buffer = nullptr;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_shader_source: %s\n", what);
    std::abort();
}

void check(bool condition, const char* what)
{
    if (!condition) {
        fail(what);
    }
}

// Replaces the file's contents with the input; any failure here is the machine's, not the reader's.
void writeSourceFile(const uint8_t* data, size_t size)
{
    check(ftruncate(sourceFd, 0) == 0, "cannot empty the source file");
    size_t done = 0;
    while (done < size) {
        const ssize_t wrote = pwrite(sourceFd, data + done, size - done, static_cast<off_t>(done));
        check(wrote > 0, "cannot write the source file");
        done += static_cast<size_t>(wrote);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // One file per process, so parallel jobs and workers never share it; it goes with the process.
    sourceFd = memfd_create("marivelle-fuzz-shader.vp", MFD_CLOEXEC);
    check(sourceFd >= 0, "cannot create the source file");
    std::snprintf(sourcePath, sizeof sourcePath, "/proc/self/fd/%d", sourceFd);
    buffer = static_cast<char*>(std::malloc(kLimit + 1));
    check(buffer != nullptr, "no buffer");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeSourceFile(data, size);
    std::memset(buffer, kUntouched, kLimit + 1);
    const bool read = readShaderSourceFile(sourcePath, buffer, kLimit);
    check(read == (size <= static_cast<size_t>(kLimit)), "accepted or refused on the wrong side of the limit");
    if (read) {
        check(size == 0 || std::memcmp(buffer, data, size) == 0, "buffer differs from the file");
        check(buffer[size] == '\0', "source not terminated right after its last character");
    } else {
        for (long i = 0; i <= kLimit; ++i) {
            if (static_cast<unsigned char>(buffer[i]) != kUntouched) {
                fail("a refused source changed the buffer");
            }
        }
    }
    return 0;
}
