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

// The power state platformReadPower reports (mains until set).
void headlessSetPower(PlatformPower power);

// Scripted keyboard: a held key reads pressed on every poll; a tapped key
// reads pressed on its next poll only.
void headlessSetKey(int virtualKey, bool down);
void headlessTapKey(int virtualKey);
void headlessReleaseAllKeys();

// Events handed out by platformPollEvent, in order.
void headlessPushEvent(const PlatformEvent& event);

// More outputs beside the window's pbuffer (output 0), for a run that shows
// one moment on several: each is a pbuffer of its own size with the same
// configuration, shown to the program in the order added. False (with
// platformGetLastError) when the pbuffer cannot be had. All go with the window.
bool headlessAddOutput(int width, int height);
// Takes output INDEX (1 or more: the window's own stays) away, as a monitor
// unplugged; those after it move down one.
void headlessRemoveOutput(int index);
// Makes an output count as seen or not (all are seen when added).
void headlessSetOutputVisible(int index, bool visible);

// What each platformPresentOutput found in the context: the output, the
// viewport and the projection matrix it was drawn with.
struct HeadlessPresent {
    int output;
    int viewport[4];
    float projection[16];
};
const std::vector<HeadlessPresent>& headlessGetPresents();
void headlessClearPresents();

struct HeadlessMessage {
    std::string text;
    std::string caption;
};
// Every message box requested since the start or the last clear.
const std::vector<HeadlessMessage>& headlessGetMessages();
void headlessClearMessages();
