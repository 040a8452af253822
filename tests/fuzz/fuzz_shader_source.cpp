// Fuzz target for the shader-source reader: the input becomes a file, which is read with the scene's
// 8192-character limit. On Linux a text stream translates nothing, so the file is taken exactly when it
// has at most 8192 bytes, and then the buffer holds those bytes and a terminating zero; a longer file is
// refused without the buffer being touched. The buffer is a heap block of exactly limit + 1 bytes, so
// AddressSanitizer sees any write past it.

#include "assets/shader.h"
#include "tests/fuzz/memory_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr long kLimit = 8192;
constexpr unsigned char kUntouched = 0xA5;

MemoryFile sourceFile;
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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    check(createMemoryFile("marivelle-fuzz-shader.vp", &sourceFile), "cannot create the source file");
    buffer = static_cast<char*>(std::malloc(kLimit + 1));
    check(buffer != nullptr, "no buffer");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    check(rewriteMemoryFile(sourceFile, data, size), "cannot write the source file");
    std::memset(buffer, kUntouched, kLimit + 1);
    const bool read = readShaderSourceFile(sourceFile.path, buffer, kLimit);
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
