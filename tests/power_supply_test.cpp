// The machine's power state as the kernel's power-supply folder tells it,
// from folders laid out as /sys/class/power_supply is.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "platform/system/power.h"

namespace {

// A fresh folder of supplies, each a subfolder with one file a field.
class SupplyFolder {
public:
    SupplyFolder() {
        char pattern[] = "/tmp/marivelle-power-XXXXXX";
        root_ = mkdtemp(pattern);
    }
    ~SupplyFolder() {
        std::string command = "rm -rf --one-file-system '" + root_ + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
    void add(const std::string& name, const std::map<std::string, std::string>& fields) {
        std::string folder = root_ + "/" + name;
        mkdir(folder.c_str(), 0755);
        for (const auto& field : fields) {
            FILE* file = std::fopen((folder + "/" + field.first).c_str(), "w");
            ASSERT_NE(file, nullptr);
            std::fprintf(file, "%s\n", field.second.c_str());
            std::fclose(file);
        }
    }
    const char* path() const { return root_.c_str(); }

private:
    std::string root_;
};

const std::map<std::string, std::string> kDischarging = {
    {"type", "Battery"}, {"present", "1"}, {"status", "Discharging"}, {"scope", "System"}};

} // namespace

TEST(PowerSupply, OnBatteryOnlyWhenTheMachinesBatteryFeedsIt) {
    SupplyFolder none;
    EXPECT_EQ(readPowerSupplies(none.path()), PLATFORM_POWER_MAINS) << "a desktop with no battery";
    EXPECT_EQ(readPowerSupplies("/nonexistent/power_supply"), PLATFORM_POWER_MAINS) << "no folder at all";

    SupplyFolder laptop;
    laptop.add("BAT0", kDischarging);
    laptop.add("AC", {{"type", "Mains"}, {"online", "0"}});
    EXPECT_EQ(readPowerSupplies(laptop.path()), PLATFORM_POWER_BATTERY) << "unplugged";
    laptop.add("AC", {{"type", "Mains"}, {"online", "1"}});
    EXPECT_EQ(readPowerSupplies(laptop.path()), PLATFORM_POWER_MAINS) << "plugged in";

    SupplyFolder usb;
    usb.add("BAT1", kDischarging);
    usb.add("ucsi-source-psy-USBC000:001", {{"type", "USB"}, {"online", "1"}});
    EXPECT_EQ(readPowerSupplies(usb.path()), PLATFORM_POWER_MAINS) << "charging over USB-C";

    SupplyFolder full;
    full.add("BAT0", {{"type", "Battery"}, {"present", "1"}, {"status", "Full"}});
    EXPECT_EQ(readPowerSupplies(full.path()), PLATFORM_POWER_MAINS) << "full, on the cable";

    SupplyFolder mouse;
    mouse.add("hidpp_battery_0", {{"type", "Battery"}, {"scope", "Device"}, {"status", "Discharging"}});
    EXPECT_EQ(readPowerSupplies(mouse.path()), PLATFORM_POWER_MAINS) << "only a wireless mouse's battery";

    SupplyFolder removed;
    removed.add("BAT0", {{"type", "Battery"}, {"present", "0"}, {"status", "Discharging"}});
    EXPECT_EQ(readPowerSupplies(removed.path()), PLATFORM_POWER_MAINS) << "an empty battery bay";
}
