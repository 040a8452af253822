#pragma once
// A file that lives in memory (memfd) for the fuzz targets whose reader opens a file by name: the reader
// opens it through its /proc/self/fd path like any other file, while rewriting it for every input costs no
// disk traffic, so the file system does not become the bottleneck. One per process, so parallel jobs and
// workers never share it; it goes with the process.

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <sys/mman.h>
#include <unistd.h>

struct MemoryFile {
    int fd = -1;
    char path[64] = {};  // "/proc/self/fd/N"
};

// Creates the file; false when the system gives none.
inline bool createMemoryFile(const char* name, MemoryFile* file)
{
    file->fd = memfd_create(name, MFD_CLOEXEC);
    if (file->fd < 0) {
        return false;
    }
    std::snprintf(file->path, sizeof file->path, "/proc/self/fd/%d", file->fd);
    return true;
}

// Replaces the file's contents with the input; false when a write fails, which is the machine's fault,
// not the reader's.
inline bool rewriteMemoryFile(const MemoryFile& file, const uint8_t* data, size_t size)
{
    if (ftruncate(file.fd, 0) != 0) {
        return false;
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t wrote = pwrite(file.fd, data + done, size - done, static_cast<off_t>(done));
        if (wrote <= 0) {
            return false;
        }
        done += static_cast<size_t>(wrote);
    }
    return true;
}
