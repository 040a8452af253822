#pragma once
// Where the machine draws its power from, read from the kernel's power
// supply class; no window system is involved.
#include "platform/platform.h"

// The state as FOLDER (a copy of /sys/class/power_supply's layout) says:
// on battery when a battery of the system itself (not one of a device such
// as a mouse, whose scope is "Device") is present and discharging, and no
// mains or USB supply of the system is online. A folder that cannot be
// read, or that lists no battery, is mains.
PlatformPower readPowerSupplies(const char* folder);
// The machine's state now: readPowerSupplies of /sys/class/power_supply.
PlatformPower readSystemPower();
