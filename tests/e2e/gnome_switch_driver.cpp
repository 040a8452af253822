// Turns the aquarium's GNOME Shell extension on or off as the program's
// --wallpaper and --wallpaper --stop do under GNOME, for the tests.
// Usage: gnome_switch_driver on|off
// Exit: 0 switched, 1 failed (with the program's one line on standard
// error), 3 no GNOME Shell on the session bus.
#include "platform/system/gnome_extension.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2 || (std::strcmp(argv[1], "on") != 0 && std::strcmp(argv[1], "off") != 0)) {
        std::fprintf(stderr, "usage: %s on|off\n", argv[0]);
        return 2;
    }
    std::string line;
    switch (switchGnomeWallpaper(std::strcmp(argv[1], "on") == 0, &line)) {
    case GnomeSwitch::Done:
        return 0;
    case GnomeSwitch::Failed:
        std::fprintf(stderr, "Marivelle: %s\n", line.c_str());
        return 1;
    case GnomeSwitch::NoGnomeShell:
        return 3;
    }
    return 2;
}
