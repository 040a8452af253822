#include "platform/system/wait.h"

#include <poll.h>

#include <algorithm>
#include <chrono>

bool waitUntilDone(int fd, int seconds, const std::function<bool()>& done) {
    return waitUntilDoneUnlessStopped(fd, -1, seconds, done) == WaitEnd::Done;
}

WaitEnd waitUntilDoneUnlessStopped(int fd, int stop, int seconds, const std::function<bool()>& done) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline = Clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return WaitEnd::TimedOut;
        }
        // poll passes over a negative descriptor: either may be absent.
        pollfd watched[2] = {{fd, POLLIN, 0}, {stop, POLLIN, 0}};
        poll(watched, 2, static_cast<int>(std::min<long long>(left, 100)));
        if (stop >= 0 && (watched[1].revents & POLLIN) != 0) {
            return WaitEnd::Stopped;
        }
    }
    return WaitEnd::Done;
}
