// File readers for the image formats: each takes the whole file into memory with a few large reads and
// hands it to the matching byte decoder. The file is closed and the file buffer released on every path.

#include "assets/image.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using ImageDecoder = bool (*)(const unsigned char* bytes, size_t length, DecodedImage* image);

// Opens fileName read-only and hints that it is read front to back; -1 if it can't be opened.
// O_NONBLOCK keeps a FIFO given by mistake from stalling the start-up (it is refused as not a regular file);
// it has no effect on the reads of a regular file.
int openForSequentialRead(const char* fileName)
{
    const int fd = open(fileName, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd >= 0) {
        posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);  // only a hint: its result doesn't matter
    }
    return fd;
}

// Size of the open file; false unless it is a non-empty regular file of at most kMaxImageFileBytes.
bool measureImageFile(int fd, size_t* size)
{
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0 ||
        static_cast<unsigned long long>(info.st_size) > kMaxImageFileBytes) {
        return false;
    }
    *size = static_cast<size_t>(info.st_size);
    return true;
}

// Reads exactly size bytes into buffer, looping over short reads and interrupted calls; false on an
// error or if the file ends early (it shrank since its size was taken).
bool readExactly(int fd, unsigned char* buffer, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t got = read(fd, buffer + done, size - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return true;
}

// Reads the open file whole into a malloc'd buffer; on failure nothing stays allocated. The descriptor
// stays with the caller.
bool readOpenFile(int fd, unsigned char** contents, size_t* length)
{
    size_t size = 0;
    if (!measureImageFile(fd, &size)) {
        return false;
    }
    auto* buffer = static_cast<unsigned char*>(std::malloc(size));
    if (buffer == nullptr) {
        return false;
    }
    if (!readExactly(fd, buffer, size)) {
        std::free(buffer);
        return false;
    }
    *contents = buffer;
    *length = size;
    return true;
}

// Reads fileName whole into a malloc'd buffer that the caller frees; false (nothing open, nothing
// allocated) if it is missing, not a regular file, empty, too large or can't be read in full.
bool readWholeFile(const char* fileName, unsigned char** contents, size_t* length)
{
    const int fd = openForSequentialRead(fileName);
    if (fd < 0) {
        return false;
    }
    const bool read = readOpenFile(fd, contents, length);
    close(fd);  // read-only descriptor: a close error loses nothing
    return read;
}

// Reads fileName and decodes it with decode; the file buffer is released whatever the outcome.
bool readImageFile(const char* fileName, ImageDecoder decode, DecodedImage* image)
{
    unsigned char* contents = nullptr;
    size_t length = 0;
    if (fileName == nullptr || !readWholeFile(fileName, &contents, &length)) {
        return false;
    }
    const bool decoded = decode(contents, length, image);
    std::free(contents);
    return decoded;
}

}  // namespace

// Reads a 24-bit BMP file; see decodeBmpImage for the result.
bool readBmpImage(const char* fileName, DecodedImage* image)
{
    if (image == nullptr) {
        return false;
    }
    image->pixels = nullptr;
    return readImageFile(fileName, decodeBmpImage, image);
}

// Reads an uncompressed TGA file; the result is reset before the file is opened, so a missing file leaves
// zero dimensions and the default formats.
bool readTgaImage(const char* fileName, DecodedImage* image)
{
    if (image == nullptr) {
        return false;
    }
    *image = DecodedImage{};
    return readImageFile(fileName, decodeTgaImage, image);
}
