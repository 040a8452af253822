#include "platform/system/wait.h"

#include <poll.h>

#include <algorithm>
#include <chrono>

bool waitUntilDone(int fd, int seconds, const std::function<bool()>& done) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline = Clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd watched = {fd, POLLIN, 0};
        poll(&watched, 1, static_cast<int>(std::min<long long>(left, 100)));
    }
    return true;
}
