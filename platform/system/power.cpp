#include "platform/system/power.h"

#include <dirent.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The first line of FOLDER/NAME/FIELD, without its newline; empty when the
// file cannot be read.
std::string readField(const std::string& supply, const char* field) {
    std::string path = supply + "/" + field;
    FILE* file = std::fopen(path.c_str(), "re");
    if (file == nullptr) {
        return "";
    }
    char line[64] = "";
    if (std::fgets(line, sizeof line, file) == nullptr) {
        line[0] = '\0';
    }
    std::fclose(file);
    line[std::strcspn(line, "\n")] = '\0';
    return line;
}

} // namespace

PlatformPower readPowerSupplies(const char* folder) {
    DIR* listing = opendir(folder);
    if (listing == nullptr) {
        return PLATFORM_POWER_MAINS;
    }
    bool discharging = false;
    bool mainsOnline = false;
    while (dirent* entry = readdir(listing)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        std::string supply = std::string(folder) + "/" + entry->d_name;
        // A device's own battery (a mouse, a game pad) says nothing of the
        // machine's supply.
        if (readField(supply, "scope") == "Device") {
            continue;
        }
        std::string type = readField(supply, "type");
        if (type == "Battery") {
            discharging |= readField(supply, "present") != "0" && readField(supply, "status") == "Discharging";
        } else if (type == "Mains" || type == "USB") {
            mainsOnline |= readField(supply, "online") == "1";
        }
    }
    closedir(listing);
    return discharging && !mainsOnline ? PLATFORM_POWER_BATTERY : PLATFORM_POWER_MAINS;
}

PlatformPower readSystemPower() { return readPowerSupplies("/sys/class/power_supply"); }
