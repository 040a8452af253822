#pragma once
// Where the machine draws its power from, as the frame rate of a screensaver
// or a wallpaper follows it: read through the seam every few seconds, and a
// change acted on only once it lasts.
#include <cstdint>

#include "platform/platform.h"

// How often the power state is read.
constexpr double kPowerCheckSeconds = 5.0;
struct PowerWatch {
    bool started = false;
    int64_t nextCheck = 0;                              // counter value of the next reading
    PlatformPower lastReading = PLATFORM_POWER_MAINS;  // what the last reading said
    PlatformPower state = PLATFORM_POWER_MAINS;        // what is acted on
};

// Reads the power state when a check is due and returns the state to act on.
// The first call reads at once and acts on it, the state the program starts
// in; after that a new state is acted on when the next check, 5 s on, finds
// it still, so a cable pulled and put back at once changes nothing.
PlatformPower watchPower(PowerWatch& watch);
// The frames a second to draw at: BATTERYFPS while the state acted on is
// battery (0: none at all), MAINSFPS otherwise.
int choosePowerRate(PowerWatch& watch, int mainsFps, int batteryFps);
