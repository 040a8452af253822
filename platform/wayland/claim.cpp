// Wayland backend: one wallpaper a session. The running one listens on a
// socket in XDG_RUNTIME_DIR named after the Wayland display; whoever
// connects asks it to end, and learns it has when the connection closes,
// which happens as the process goes. A socket file nobody listens on is what
// a wallpaper that crashed left behind.
#include <fcntl.h>
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
#include "platform/system/wait.h"
#include "platform/wayland/wayland_backend.h"

namespace {

int listening = -1;
ino_t boundInode = 0;
std::string boundPath;
// Those who asked this wallpaper to end; closed as it goes.
std::vector<int> askers;

// The socket's address; false after recording why there is none.
bool findAddress(sockaddr_un* address, std::string* path) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* display = std::getenv("WAYLAND_DISPLAY");
    if (runtime == nullptr || runtime[0] == '\0') {
        setPlatformError("XDG_RUNTIME_DIR is not set: no place for the session's wallpaper socket");
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

// Waits until the far end of FD closes; false after kWallpaperEndSeconds.
bool waitForClose(int fd) {
    return waitUntilDone(fd, kWallpaperEndSeconds, [fd] {
        char byte;
        ssize_t got = read(fd, &byte, 1);
        return got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR);
    });
}

} // namespace

bool claimWlWallpaper() {
    sockaddr_un address;
    if (!findAddress(&address, &boundPath)) {
        return false;
    }
    int running = connectRunning(address);
    if (running >= 0) {
        bool ended = waitForClose(running);
        close(running);
        if (!ended) {
            setPlatformError("the wallpaper that ran before did not end within %d seconds", kWallpaperEndSeconds);
            return false;
        }
    }
    // Nobody listens on it now: whatever file is there is stale.
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
    if (!findAddress(&address, &path)) {
        return -1;
    }
    int running = connectRunning(address);
    if (running < 0) {
        return 0;
    }
    bool ended = waitForClose(running);
    close(running);
    if (!ended) {
        setPlatformError("the wallpaper did not end within %d seconds", kWallpaperEndSeconds);
        return -1;
    }
    return 1;
}
