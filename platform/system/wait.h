#pragma once
// Waiting for another process, with a deadline.
#include <functional>

// Asks DONE, then sleeps until FD has something to read (or a tenth of a
// second has passed) and asks again, until DONE says yes or SECONDS have
// passed. True when DONE said yes.
bool waitUntilDone(int fd, int seconds, const std::function<bool()>& done);
