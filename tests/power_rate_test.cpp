// A screensaver's or wallpaper's frame rate on battery, with the power state
// driven through the seam and the time through the driven counter.
#include <gtest/gtest.h>

#include "app/power_rate.h"
#include "platform/headless/headless.h"

TEST(PowerRate, BatteryRateOnlyForAStateThatLasts) {
    PowerWatch watch;
    headlessSetPower(PLATFORM_POWER_MAINS);
    EXPECT_EQ(choosePowerRate(watch, 30, 10), 30);

    // Unplugged: the next check, up to 5 s on, sees it; the one after acts.
    headlessSetPower(PLATFORM_POWER_BATTERY);
    headlessAdvanceSeconds(2.0);
    EXPECT_EQ(choosePowerRate(watch, 30, 10), 30) << "read before a check was due";
    headlessAdvanceSeconds(3.0);
    EXPECT_EQ(choosePowerRate(watch, 30, 10), 30) << "acted on a state seen once";
    headlessAdvanceSeconds(5.0);
    EXPECT_EQ(choosePowerRate(watch, 30, 10), 10);
    EXPECT_EQ(choosePowerRate(watch, 30, 0), 0) << "--battery-fps 0 draws nothing";

    // Plugged in for one check and out again: nothing changes.
    headlessSetPower(PLATFORM_POWER_MAINS);
    headlessAdvanceSeconds(5.0);
    EXPECT_EQ(choosePowerRate(watch, 30, 10), 10);
    headlessSetPower(PLATFORM_POWER_BATTERY);
    headlessAdvanceSeconds(5.0);
    EXPECT_EQ(choosePowerRate(watch, 30, 10), 10);

    // Back on mains for good.
    headlessSetPower(PLATFORM_POWER_MAINS);
    headlessAdvanceSeconds(5.0);
    choosePowerRate(watch, 30, 10);
    headlessAdvanceSeconds(5.0);
    EXPECT_EQ(choosePowerRate(watch, 30, 10), 30);
}

TEST(PowerRate, AMachineStartedOnBatteryDrawsTheBatteryRateAtOnce) {
    PowerWatch watch;
    headlessSetPower(PLATFORM_POWER_BATTERY);
    EXPECT_EQ(choosePowerRate(watch, 30, 10), 10);
}
