// Wayland backend: one wallpaper a session. The running one listens on a
// socket in XDG_RUNTIME_DIR named after the Wayland display; whoever
// connects asks it to end, and learns it has when the connection closes,
// which happens as the process goes. A socket file nobody listens on is what
// a wallpaper that crashed left behind. Starts and stops take turns through
// a lock file beside the socket: "nobody listens, so remove the file and
// bind" is only true while no other start can bind in between.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/system/last_error.h"
#include "platform/system/quit_signals.h"
#include "platform/system/wait.h"
#include "platform/wayland/wayland_backend.h"

namespace {

// A start that finds the lock taken waits for the holder, which may itself
// be waiting kWallpaperEndSeconds for an older wallpaper to end.
constexpr int kLockWaitSeconds = 2 * kWallpaperEndSeconds;

int listening = -1;
ino_t boundInode = 0;
std::string boundPath;
// Those who asked this wallpaper to end; closed as it goes.
std::vector<int> askers;
// The lock file, open while this process holds the lock.
int lockFd = -1;

// True when RUNTIME is a folder of this user's that nobody else may enter,
// as the socket and the lock need; false after recording why.
bool checkRuntimeFolder(const char* runtime) {
    struct stat folder;
    if (stat(runtime, &folder) != 0) {
        setPlatformError("XDG_RUNTIME_DIR %s cannot be used: %s", runtime, std::strerror(errno));
        return false;
    }
    if (!S_ISDIR(folder.st_mode)) {
        setPlatformError("XDG_RUNTIME_DIR %s is not a folder", runtime);
        return false;
    }
    if (folder.st_uid != geteuid()) {
        setPlatformError("XDG_RUNTIME_DIR %s belongs to another user (uid %u, not %u)", runtime,
                         static_cast<unsigned>(folder.st_uid), static_cast<unsigned>(geteuid()));
        return false;
    }
    if ((folder.st_mode & 0777) != 0700) {
        setPlatformError("XDG_RUNTIME_DIR %s is open to other users (mode %04o, not 0700)", runtime,
                         static_cast<unsigned>(folder.st_mode & 0777));
        return false;
    }
    return true;
}

// The socket's address; false after recording why there is none.
bool findAddress(sockaddr_un* address, std::string* path) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* display = std::getenv("WAYLAND_DISPLAY");
    if (runtime == nullptr || runtime[0] == '\0') {
        setPlatformError("XDG_RUNTIME_DIR is not set: no place for the session's wallpaper socket");
        return false;
    }
    if (!checkRuntimeFolder(runtime)) {
        return false;
    }
    std::string name = display != nullptr && display[0] != '\0' ? display : "wayland-0";
    for (char& c : name) {
        if (c == '/') {
            c = '_';
        }
    }
    *path = std::string(runtime) + "/marivelle-wallpaper-" + name;
    *address = {};
    address->sun_family = AF_UNIX;
    if (path->size() >= sizeof address->sun_path) {
        setPlatformError("the wallpaper socket's path in XDG_RUNTIME_DIR is too long");
        return false;
    }
    std::memcpy(address->sun_path, path->c_str(), path->size() + 1);
    return true;
}

// Takes the lock beside the socket at PATH, waiting while another start or
// stop holds it; a quit signal ends the wait. False after recording why.
bool takeLock(const std::string& path) {
    std::string lockPath = path + ".lock";
    // Never removed: a lock file unlinked while someone waits on it would
    // let the next one lock a new file beside the old.
    lockFd = open(lockPath.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd < 0) {
        setPlatformError("cannot open the wallpaper lock %s: %s", lockPath.c_str(), std::strerror(errno));
        return false;
    }
    WaitEnd end = waitUntilDoneUnlessStopped(-1, readQuitSignalDescriptor(), kLockWaitSeconds,
                                             [] { return flock(lockFd, LOCK_EX | LOCK_NB) == 0; });
    if (end == WaitEnd::Done) {
        return true;
    }
    if (end == WaitEnd::Stopped) {
        setPlatformError("asked to end while waiting for another start or stop of the wallpaper");
    } else {
        setPlatformError("another start or stop of the wallpaper held %s for %d seconds", lockPath.c_str(),
                         kLockWaitSeconds);
    }
    close(lockFd);
    lockFd = -1;
    return false;
}

// Lets the next start or stop go on.
void dropLock() {
    if (lockFd >= 0) {
        // Closing the only descriptor of the open file releases its lock.
        close(lockFd);
        lockFd = -1;
    }
}

// Connects to the running wallpaper: its socket, or -1 when none listens.
int connectRunning(const sockaddr_un& address) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    // Read while waiting for its end: a read must never block.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

// Waits until the far end of FD closes, giving up after kWallpaperEndSeconds
// or at a quit signal; closes FD.
WaitEnd waitForClose(int fd) {
    WaitEnd end = waitUntilDoneUnlessStopped(fd, readQuitSignalDescriptor(), kWallpaperEndSeconds, [fd] {
        char byte;
        ssize_t got = read(fd, &byte, 1);
        return got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR);
    });
    close(fd);
    return end;
}

// The claim itself, made while holding the lock: ends the running wallpaper,
// then listens on the socket. False after recording why.
bool claimHoldingLock(const sockaddr_un& address) {
    int running = connectRunning(address);
    if (running >= 0) {
        WaitEnd end = waitForClose(running);
        if (end == WaitEnd::Stopped) {
            setPlatformError("asked to end while waiting for the wallpaper that ran before");
            return false;
        }
        if (end == WaitEnd::TimedOut) {
            setPlatformError("the wallpaper that ran before did not end within %d seconds", kWallpaperEndSeconds);
            return false;
        }
    }
    // Nobody listens on it now, and no other start can bind while the lock
    // is held: whatever file is there is stale.
    unlink(boundPath.c_str());
    listening = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    struct stat made;
    if (listening < 0 || bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listening, 4) != 0 || stat(boundPath.c_str(), &made) != 0) {
        setPlatformError("cannot make the wallpaper socket %s: %s", boundPath.c_str(), std::strerror(errno));
        releaseWlClaim();
        return false;
    }
    boundInode = made.st_ino;
    return true;
}

} // namespace

bool claimWlWallpaper() {
    sockaddr_un address;
    if (!findAddress(&address, &boundPath) || !takeLock(boundPath)) {
        return false;
    }
    bool claimed = claimHoldingLock(address);
    dropLock();
    return claimed;
}

void releaseWlClaim() {
    if (listening >= 0) {
        // A newer wallpaper binds its own socket only once this one has
        // closed the connection below; the file is still ours to remove.
        struct stat now;
        if (stat(boundPath.c_str(), &now) == 0 && now.st_ino == boundInode) {
            unlink(boundPath.c_str());
        }
        close(listening);
        listening = -1;
    }
    for (int fd : askers) {
        close(fd);
    }
    askers.clear();
}

int readWlClaimDescriptor() { return listening; }

bool takeWlClaimRequest() {
    int fd = accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    askers.push_back(fd);
    return true;
}

int stopWlWallpaper() {
    sockaddr_un address;
    std::string path;
    if (!findAddress(&address, &path) || !takeLock(path)) {
        return -1;
    }
    // Taken before the connect: a start that has bound but not yet listens
    // would refuse it and pass for none. Held until the wallpaper has gone,
    // so that a start that comes meanwhile begins after it.
    int running = connectRunning(address);
    WaitEnd end = running >= 0 ? waitForClose(running) : WaitEnd::Done;
    dropLock();
    if (end == WaitEnd::Stopped) {
        setPlatformError("asked to end while waiting for the wallpaper to end");
        return -1;
    }
    if (end == WaitEnd::TimedOut) {
        setPlatformError("the wallpaper did not end within %d seconds", kWallpaperEndSeconds);
        return -1;
    }
    return running >= 0 ? 1 : 0;
}
