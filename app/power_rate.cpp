#include "app/power_rate.h"

PlatformPower watchPower(PowerWatch& watch) {
    int64_t now = platformReadCounter();
    if (watch.started && now < watch.nextCheck) {
        return watch.state;
    }
    PlatformPower reading = platformReadPower();
    if (!watch.started || reading == watch.lastReading) {
        watch.state = reading;
    }
    watch.lastReading = reading;
    watch.started = true;
    watch.nextCheck = now + static_cast<int64_t>(kPowerCheckSeconds * static_cast<double>(platformReadCounterFrequency()));
    return watch.state;
}

int choosePowerRate(PowerWatch& watch, int mainsFps, int batteryFps) {
    return watchPower(watch) == PLATFORM_POWER_BATTERY ? batteryFps : mainsFps;
}
