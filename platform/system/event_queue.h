#pragma once
// Events a backend has gathered for the program and not yet handed over, in
// order. One queue: one backend runs at a time.
#include "platform/platform.h"

void queuePlatformEvent(PlatformEventType type);
// A size event for output INDEX, now WIDTH x HEIGHT pixels.
void queueOutputSize(int index, int width, int height);
// Takes the oldest event; false when none waits.
bool takeQueuedEvent(PlatformEvent* event);
bool checkEventsQueued();
void clearQueuedEvents();
