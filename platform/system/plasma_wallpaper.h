#pragma once
// The wallpaper under KDE Plasma: Plasma draws its wallpaper, icons and
// widgets in one window of its own, so there the aquarium is a wallpaper
// plugin of Plasma's (example.marivelle.wallpaper, installed with the
// package) that runs the program itself, and the program only makes it the
// wallpaper of every desktop, or gives each desktop back the one it had,
// through plasmashell's desktop scripting on the session bus.
#include <string>

enum class PlasmaSwitch {
    // No plasmashell runs in this session: the wallpaper is drawn as elsewhere.
    NoPlasma,
    Done,
    Failed,
};

// ON makes the aquarium's plugin the wallpaper of every Plasma desktop, each
// desktop's own plugin kept in the aquarium's settings; off puts that plugin
// back (Plasma's picture wallpaper where none was kept) on every desktop
// that shows the aquarium. Plasma keeps each plugin's settings, so the
// picture, colour or slideshow come back as they were. NoPlasma when the
// session bus cannot be reached or nobody owns org.kde.plasmashell on it.
// Failed, with LINE saying why in one line (no newline), when the plugin is
// not installed, plasmashell refuses the script or does not answer within
// 10 seconds, or (off) no desktop shows the aquarium.
PlasmaSwitch switchPlasmaWallpaper(bool on, std::string* line);

// Whether the plugin's package is in one of the folders Plasma looks in:
// DATAHOME (XDG_DATA_HOME, or ~/.local/share when empty) and then the
// colon-separated DATADIRS (XDG_DATA_DIRS, or /usr/local/share:/usr/share
// when empty).
bool findPlasmaPlugin(const std::string& dataHome, const std::string& dataDirs);
