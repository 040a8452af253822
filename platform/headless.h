#pragma once
// Controls of the headless backend, for tests and tools. The scene never
// includes this; only the code that drives a headless run does.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

// Ticks per second of the headless counter.
constexpr int64_t kHeadlessCounterFrequency = 1000000000;

// The counter starts at 0 and moves only when driven, unless real time is
// switched on; switching keeps the counter continuous.
void headlessSetCounter(int64_t ticks);
void headlessAdvanceSeconds(double seconds);
void headlessUseRealTime(bool on);

// Scripted keyboard: a held key reads pressed on every poll; a tapped key
// reads pressed on its next poll only.
void headlessSetKey(int virtualKey, bool down);
void headlessTapKey(int virtualKey);
void headlessReleaseAllKeys();

// Events handed out by platformPollEvent, in order.
void headlessPushEvent(const PlatformEvent& event);

struct HeadlessMessage {
    std::string text;
    std::string caption;
};
// Every message box requested since the start or the last clear.
const std::vector<HeadlessMessage>& headlessGetMessages();
void headlessClearMessages();
