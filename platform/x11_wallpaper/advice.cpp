// X11 wallpaper backend: what the user is told of a desktop program whose
// icons the picture hides, and what would keep them. Of the desktop
// programs Debian ships, only nemo-desktop leaves clear what lies around
// its icons, and a compositing manager must then blend it; xfdesktop,
// pcmanfm, pcmanfm-qt and caja paint an opaque background whatever their
// settings say, and Plasma's desktop paints its own wallpaper.
#include <string>

#include "platform/x11_wallpaper/x11_wallpaper_backend.h"

namespace {

// The command that turns on compositing under the window manager MANAGER:
// its own setting where it has a compositor, else a compositing manager
// of its own.
std::string findCompositingCommand(const std::string& manager) {
    if (manager == "xfwm4") {
        return "xfconf-query -c xfwm4 -p /general/use_compositing -s true";
    }
    if (manager == "marco") {
        return "gsettings set org.mate.Marco.general compositing-manager true";
    }
    return "xcompmgr &";
}

} // namespace

std::string adviseX11DesktopProgram(const std::string& name, bool clearWithoutBlending, const std::string& manager) {
    std::string program = name.empty() ? "the desktop program" : name;
    // Plasma's desktop is its shell: there is no running Plasma without it.
    if (program == "plasmashell") {
        return "Marivelle: plasmashell paints Plasma's own wallpaper under its icons and widgets, so the aquarium is "
               "drawn over it and hides them (clicks still reach them; the panels stay over the aquarium)";
    }
    if (clearWithoutBlending) {
        return "Marivelle: " + program + " shows what lies under its icons only while a compositing manager runs, " +
               "so the aquarium is drawn over it and hides them (clicks still reach it); to keep them, run: " +
               findCompositingCommand(manager);
    }
    return "Marivelle: " + program + " paints its own background under its icons, so the aquarium is drawn over " +
           "it and hides them (clicks still reach it); to keep desktop icons over the aquarium, run nemo-desktop " +
           "in its place with a compositing manager, or run the desktop without " + program;
}
