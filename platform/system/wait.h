#pragma once
// Waiting for another process, with a deadline.
#include <functional>

// Asks DONE, then sleeps until FD has something to read (or a tenth of a
// second has passed) and asks again, until DONE says yes or SECONDS have
// passed. True when DONE said yes.
bool waitUntilDone(int fd, int seconds, const std::function<bool()>& done);

// How a wait that can be cut short ended.
enum class WaitEnd { Done, TimedOut, Stopped };

// As waitUntilDone, and also wakes when STOP (a descriptor; -1 for none)
// has something to read, and then gives up at once: Stopped. What waits on
// STOP is left there for its owner to take.
WaitEnd waitUntilDoneUnlessStopped(int fd, int stop, int seconds, const std::function<bool()>& done);
