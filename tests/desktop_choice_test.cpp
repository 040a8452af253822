// The wallpaper's window system, chosen from the session's environment and
// what its compositor offers, and the layer surface's buffer arithmetic.
#include <gtest/gtest.h>

#include <string>

#include "platform/desktop_choice.h"
#include "platform/wayland/geometry.h"

namespace {

int probes = 0;
WaylandProbe answer = WaylandProbe::LayerShell;

WaylandProbe countedProbe() {
    ++probes;
    return answer;
}

WallpaperSystem choose(const char* wayland, const char* x11, WaylandProbe found) {
    answer = found;
    probes = 0;
    return chooseWallpaperSystem(wayland, x11, countedProbe);
}

} // namespace

TEST(DesktopChoiceTest, WaylandWhenItsCompositorHasTheLayerShellElseX11ButNeverAnXWaylandWindow) {
    EXPECT_EQ(choose("wayland-0", ":0", WaylandProbe::LayerShell), WallpaperSystem::Wayland);
    EXPECT_EQ(probes, 1);
    // GNOME and weston run XWayland: a window there would not be the background.
    EXPECT_EQ(choose("wayland-0", ":0", WaylandProbe::NoLayerShell), WallpaperSystem::LayerShellMissing);
    EXPECT_EQ(choose("wayland-0", nullptr, WaylandProbe::NoLayerShell), WallpaperSystem::LayerShellMissing);
    // A stale WAYLAND_DISPLAY in an X session.
    EXPECT_EQ(choose("wayland-9", ":0", WaylandProbe::Unreachable), WallpaperSystem::X11);
    EXPECT_EQ(choose("wayland-9", "", WaylandProbe::Unreachable), WallpaperSystem::None);
    // Unset or empty, WAYLAND_DISPLAY is never probed: the library would
    // try "wayland-0" on its own.
    EXPECT_EQ(choose(nullptr, ":1", WaylandProbe::LayerShell), WallpaperSystem::X11);
    EXPECT_EQ(choose("", ":1", WaylandProbe::LayerShell), WallpaperSystem::X11);
    EXPECT_EQ(probes, 0);
    EXPECT_EQ(choose(nullptr, nullptr, WaylandProbe::LayerShell), WallpaperSystem::None);

    std::string missing = describeMissingWallpaperSystem(WallpaperSystem::LayerShellMissing, "wayland-0");
    EXPECT_NE(missing.find("zwlr_layer_shell_v1"), std::string::npos);
    EXPECT_NE(std::string(describeMissingWallpaperSystem(WallpaperSystem::None, "wayland-9")).find("WAYLAND_DISPLAY"),
              std::string::npos);
}

TEST(DesktopChoiceTest, TheBufferIsTheConfiguredSizeTimesTheOutputsScale) {
    int width = -1;
    int height = -1;
    ASSERT_TRUE(computeWlBufferSize(1280, 1024, 1, &width, &height));
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 1024);
    // A HiDPI output: logical 1920 x 1080 at scale 2 is a 3840 x 2160 buffer.
    ASSERT_TRUE(computeWlBufferSize(1920, 1080, 2, &width, &height));
    EXPECT_EQ(width, 3840);
    EXPECT_EQ(height, 2160);
    // Nonsense scales draw at 1, or at most 8.
    EXPECT_EQ(chooseWlBufferScale(0), 1);
    EXPECT_EQ(chooseWlBufferScale(-3), 1);
    EXPECT_EQ(chooseWlBufferScale(1000), 8);
    ASSERT_TRUE(computeWlBufferSize(800, 600, -2, &width, &height));
    EXPECT_EQ(width, 800);

    // No size yet, and sizes past any buffer (a side near 2^32 would wrap a
    // 32-bit product to a small number), leave the output without one.
    width = height = 7;
    EXPECT_FALSE(computeWlBufferSize(0, 1024, 1, &width, &height));
    EXPECT_FALSE(computeWlBufferSize(1280, 0, 1, &width, &height));
    EXPECT_FALSE(computeWlBufferSize(0x80000000u, 16, 2, &width, &height));
    EXPECT_FALSE(computeWlBufferSize(4097, 1024, 4, &width, &height));
    EXPECT_EQ(width, 7);
    EXPECT_EQ(height, 7);
    EXPECT_TRUE(computeWlBufferSize(4096, 1024, 4, &width, &height));
}
