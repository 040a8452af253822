#include "platform/desktop_choice.h"

namespace {

bool checkSet(const char* value) { return value != nullptr && value[0] != '\0'; }

} // namespace

WallpaperSystem chooseWallpaperSystem(const char* waylandDisplay, const char* x11Display, WaylandProbe (*probe)()) {
    if (checkSet(waylandDisplay)) {
        switch (probe()) {
        case WaylandProbe::LayerShell:
            return WallpaperSystem::Wayland;
        case WaylandProbe::NoLayerShell:
            return WallpaperSystem::LayerShellMissing;
        case WaylandProbe::Unreachable:
            break;
        }
    }
    return checkSet(x11Display) ? WallpaperSystem::X11 : WallpaperSystem::None;
}

const char* describeMissingWallpaperSystem(WallpaperSystem system, const char* waylandDisplay) {
    if (system == WallpaperSystem::LayerShellMissing) {
        return "this Wayland compositor offers no desktop background layer (zwlr_layer_shell_v1); GNOME and weston "
               "do not";
    }
    if (checkSet(waylandDisplay)) {
        return "no Wayland compositor answers at WAYLAND_DISPLAY, and DISPLAY names no X display";
    }
    return "the wallpaper needs a Wayland compositor (WAYLAND_DISPLAY) or an X display (DISPLAY), and neither is set";
}
