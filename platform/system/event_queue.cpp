#include "platform/system/event_queue.h"

#include <deque>

namespace {

std::deque<PlatformEvent>& getQueue() {
    static std::deque<PlatformEvent> queue;
    return queue;
}

} // namespace

void queuePlatformEvent(PlatformEventType type) {
    PlatformEvent event = {};
    event.type = type;
    getQueue().push_back(event);
}

void queueOutputSize(int index, int width, int height) {
    PlatformEvent event = {};
    event.type = PLATFORM_EVENT_SIZE;
    event.output = index;
    event.width = width;
    event.height = height;
    getQueue().push_back(event);
}

bool takeQueuedEvent(PlatformEvent* event) {
    if (getQueue().empty()) {
        return false;
    }
    *event = getQueue().front();
    getQueue().pop_front();
    return true;
}

bool checkEventsQueued() { return !getQueue().empty(); }

void clearQueuedEvents() { getQueue().clear(); }
