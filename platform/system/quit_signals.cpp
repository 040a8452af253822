#include "platform/system/quit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "platform/system/last_error.h"

namespace {

int signalPipe[2] = {-1, -1};

void noteSignal(int) {
    char byte = 1;
    // Nothing can be done in a handler about a full pipe: one byte is enough.
    ssize_t ignored = write(signalPipe[1], &byte, 1);
    (void)ignored;
}

} // namespace

bool catchQuitSignals() {
    if (signalPipe[0] < 0 && pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        setPlatformError("cannot make a pipe for the quit signals: %s", std::strerror(errno));
        return false;
    }
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    return true;
}

int readQuitSignalDescriptor() { return signalPipe[0]; }

bool takeQuitSignal() {
    bool came = false;
    char bytes[16];
    while (signalPipe[0] >= 0 && read(signalPipe[0], bytes, sizeof bytes) > 0) {
        came = true;
    }
    return came;
}

void ignoreLateQuitSignals() {
    std::signal(SIGTERM, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);
}
