// The power state through SDL, which reads UPower over D-Bus and then
// /sys/class/power_supply; it needs no SDL subsystem, so the Wayland backend
// asks it too.
#include <SDL.h>

#include "platform/platform.h"
#include "platform/backend.h"

PlatformPower sdlReadPower() {
    return SDL_GetPowerInfo(nullptr, nullptr) == SDL_POWERSTATE_ON_BATTERY ? PLATFORM_POWER_BATTERY
                                                                           : PLATFORM_POWER_MAINS;
}
