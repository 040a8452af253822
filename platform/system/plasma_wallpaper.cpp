#include "platform/system/plasma_wallpaper.h"

#include "platform/system/session_bus.h"

#include <cstdlib>
#include <sstream>
#include <sys/stat.h>

namespace {

constexpr const char* kPlugin = "example.marivelle.wallpaper";
constexpr const char* kShellName = "org.kde.plasmashell";
constexpr const char* kShellPath = "/PlasmaShell";
constexpr const char* kShellInterface = "org.kde.PlasmaShell";

// Makes the plugin every desktop's wallpaper, keeping the plugin it
// replaces in the plugin's own settings; prints how many desktops it
// changed. Plasma keeps the settings of every plugin a desktop has had, so
// only the plugin's name needs keeping.
constexpr const char* kOnScript = R"(
var plugin = "example.marivelle.wallpaper";
var all = desktops();
var changed = 0;
for (var i = 0; i < all.length; ++i) {
    var desktop = all[i];
    if (desktop.wallpaperPlugin == plugin) continue;
    var previous = desktop.wallpaperPlugin;
    desktop.wallpaperPlugin = plugin;
    desktop.currentConfigGroup = ["Wallpaper", plugin, "General"];
    desktop.writeConfig("PreviousPlugin", previous);
    ++changed;
}
print(changed + " " + all.length);
)";

// Puts back, on every desktop that shows the aquarium, the plugin kept
// when it was chosen (Plasma's picture wallpaper where none was kept);
// prints how many desktops it changed.
constexpr const char* kOffScript = R"(
var plugin = "example.marivelle.wallpaper";
var all = desktops();
var changed = 0;
for (var i = 0; i < all.length; ++i) {
    var desktop = all[i];
    if (desktop.wallpaperPlugin != plugin) continue;
    desktop.currentConfigGroup = ["Wallpaper", plugin, "General"];
    var previous = desktop.readConfig("PreviousPlugin", "");
    desktop.writeConfig("PreviousPlugin", "");
    desktop.wallpaperPlugin = previous != "" && previous != plugin ? previous : "org.kde.image";
    ++changed;
}
print(changed + " " + all.length);
)";

bool isDirectory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Runs SCRIPT in plasmashell; its printed output in *OUTPUT. False with
// *LINE when plasmashell refuses or does not answer.
bool runScript(sd_bus* bus, const char* script, std::string* output, std::string* line) {
    sd_bus_message* raw = nullptr;
    if (sd_bus_message_new_method_call(bus, &raw, kShellName, kShellPath, kShellInterface, "evaluateScript") < 0) {
        *line = "cannot call plasmashell's evaluateScript";
        return false;
    }
    SessionMessage call(raw);
    SessionMessage reply;
    if (sd_bus_message_append(raw, "s", script) < 0) {
        *line = "cannot call plasmashell's evaluateScript";
        return false;
    }
    if (!callOnSessionBus(bus, raw, "plasmashell", &reply, line)) {
        return false;
    }
    const char* text = nullptr;
    if (sd_bus_message_read(reply.get(), "s", &text) < 0) {
        *line = "plasmashell's answer to evaluateScript cannot be read";
        return false;
    }
    *output = text;
    return true;
}

} // namespace

bool findPlasmaPlugin(const std::string& dataHome, const std::string& dataDirs) {
    std::string home = dataHome;
    if (home.empty()) {
        const char* user = std::getenv("HOME");
        home = std::string(user ? user : "") + "/.local/share";
    }
    std::string dirs = dataDirs.empty() ? "/usr/local/share:/usr/share" : dataDirs;
    std::istringstream rest(home + ":" + dirs);
    std::string dir;
    while (std::getline(rest, dir, ':')) {
        // Relative entries are not valid in either variable.
        if (dir.empty() || dir[0] != '/') {
            continue;
        }
        std::string package = dir + "/plasma/wallpapers/" + kPlugin;
        if (isDirectory(package) && isFile(package + "/metadata.json")) {
            return true;
        }
    }
    return false;
}

PlasmaSwitch switchPlasmaWallpaper(bool on, std::string* line) {
    SessionBus bus = openSessionBus();
    if (!bus || !sessionNameHasOwner(bus.get(), kShellName)) {
        return PlasmaSwitch::NoPlasma;
    }
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    if (on && !findPlasmaPlugin(dataHome ? dataHome : "", dataDirs ? dataDirs : "")) {
        *line = std::string("the aquarium's Plasma wallpaper plugin (") + kPlugin +
                ") is not installed: install the marivelle package";
        return PlasmaSwitch::Failed;
    }
    std::string output;
    if (!runScript(bus.get(), on ? kOnScript : kOffScript, &output, line)) {
        return PlasmaSwitch::Failed;
    }
    long changed = -1;
    long desktops = -1;
    std::istringstream(output) >> changed >> desktops;
    if (changed < 0 || desktops < 0) {
        *line = "plasmashell's desktop script printed something unexpected: " + output.substr(0, 200);
        return PlasmaSwitch::Failed;
    }
    if (desktops == 0) {
        *line = "Plasma has no desktop to show the aquarium on";
        return PlasmaSwitch::Failed;
    }
    if (!on && changed == 0) {
        *line = "the aquarium is not Plasma's wallpaper on any desktop";
        return PlasmaSwitch::Failed;
    }
    return PlasmaSwitch::Done;
}
