/* A preload for the pictures tests: the moment open() makes a new file
 * (O_CREAT | O_EXCL) inside $SWAP_FOLDER, the file is removed and its name
 * made a symbolic link to $SWAP_VICTIM, as a hostile program sharing the
 * folder could do. The caller still gets the descriptor of the file it made.
 * Without both variables set, open() is untouched. */
#undef _FORTIFY_SOURCE /* the checked open() is an inline that this file replaces */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

typedef int (*OpenFunction)(const char*, int, ...);

/* Swaps PATH for the link when FLAGS made a new file in the watched folder;
 * errno is left as open() set it. */
static void swapNewFile(const char* path, int flags) {
    const char* folder = getenv("SWAP_FOLDER");
    const char* victim = getenv("SWAP_VICTIM");
    if (folder == NULL || victim == NULL || (flags & (O_CREAT | O_EXCL)) != (O_CREAT | O_EXCL)) {
        return;
    }
    size_t length = strlen(folder);
    if (strncmp(path, folder, length) != 0 || path[length] != '/') {
        return;
    }
    int saved = errno;
    if (unlink(path) == 0) {
        /* A failure shows in the test: it finds no link where the file was. */
        (void)symlink(victim, path);
    }
    errno = saved;
}

/* The mode argument, present when FLAGS create a file. */
static mode_t modeOf(int flags, va_list arguments) {
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        return (mode_t)va_arg(arguments, int);
    }
    return 0;
}

/* Opens through the C library's own NAME, then swaps a new file as above. */
static int openAndSwap(const char* name, const char* path, int flags, mode_t mode) {
    OpenFunction next = (OpenFunction)dlsym(RTLD_NEXT, name);
    if (next == NULL) {
        errno = ENOSYS;
        return -1;
    }
    int fd = next(path, flags, mode);
    if (fd >= 0) {
        swapNewFile(path, flags);
    }
    return fd;
}

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return openAndSwap("open", path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return openAndSwap("open64", path, flags, mode);
}
