// The command line: what runs, what prints and exits 0, what is refused with
// exit status 2, and the one line that says why.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/options.h"

namespace {

struct Outcome {
    CommandLine result;
    AppOptions options;
    std::string text;
};

Outcome read(std::vector<const char*> args) {
    args.insert(args.begin(), "marivelle");
    Outcome outcome;
    outcome.result = readCommandLine(static_cast<int>(args.size()), args.data(), &outcome.options, &outcome.text);
    return outcome;
}

} // namespace

TEST(OptionsTest, NoArgumentsRunsAsAlways) {
    Outcome o = read({});
    EXPECT_EQ(o.result, CommandLine::Run);
    EXPECT_FALSE(o.options.fullscreen);
    EXPECT_FALSE(o.options.tour);
    EXPECT_FALSE(o.options.showFps);
    EXPECT_EQ(o.options.maxFps, 0);
}

TEST(OptionsTest, ReadsEveryOptionInBothValueForms) {
    Outcome o = read({"--fullscreen", "--tour", "--fps", "--max-fps", "20"});
    ASSERT_EQ(o.result, CommandLine::Run) << o.text;
    EXPECT_TRUE(o.options.fullscreen);
    EXPECT_TRUE(o.options.tour);
    EXPECT_TRUE(o.options.showFps);
    EXPECT_EQ(o.options.maxFps, 20);
    EXPECT_EQ(read({"--max-fps=1000"}).options.maxFps, 1000);
    EXPECT_EQ(read({"--max-fps", "1"}).options.maxFps, 1);
}

TEST(OptionsTest, HelpAndVersionPrintAndEnd) {
    Outcome help = read({"--help", "--bogus"});
    EXPECT_EQ(help.result, CommandLine::Done);
    for (const char* option : {"--fullscreen", "--tour", "--max-fps N", "--fps", "--version"}) {
        EXPECT_NE(help.text.find(option), std::string::npos) << option;
    }
    Outcome version = read({"--version"});
    EXPECT_EQ(version.result, CommandLine::Done);
    EXPECT_EQ(version.text.rfind("marivelle ", 0), 0u);
}

TEST(OptionsTest, BadInputIsOneLineNamingTheProblemWithAHint) {
    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"}, {"stray"}, {"--max-fps"}, {"--max-fps", "0"}, {"--max-fps", "x"},
        {"--max-fps", "1e3"}, {"--max-fps", "99999999999"}, {"--max-fps", "1001"}, {"--max-fps", "-5"},
        {"--max-fps", " 5"}, {"--max-fps="}, {"--tour=yes"}, {"-f"},
    };
    for (const auto& args : bad) {
        Outcome o = read(args);
        std::string shown = args[0] + std::string(args.size() > 1 ? std::string(" ") + args[1] : "");
        ASSERT_EQ(o.result, CommandLine::Wrong) << shown;
        EXPECT_EQ(o.text.rfind("Marivelle: ", 0), 0u) << o.text;
        EXPECT_NE(o.text.find("marivelle --help"), std::string::npos) << o.text;
        EXPECT_EQ(o.text.find('\n'), o.text.size() - 1) << "one line: " << o.text;
    }
    EXPECT_NE(read({"--bogus"}).text.find("'--bogus'"), std::string::npos);
    EXPECT_NE(read({"stray"}).text.find("'stray'"), std::string::npos);
    EXPECT_NE(read({"--max-fps", "1e3"}).text.find("'1e3'"), std::string::npos);
    EXPECT_NE(read({"--max-fps"}).text.find("needs"), std::string::npos);
}

TEST(OptionsTest, ScreensaverWindowIdsInHexOrDecimal) {
    Outcome hex = read({"--window-id", "0x2a00007"});
    ASSERT_EQ(hex.result, CommandLine::Run) << hex.text;
    EXPECT_EQ(hex.options.mode, RunMode::Screensaver);
    EXPECT_EQ(hex.options.windowId, 0x2a00007u);
    EXPECT_EQ(read({"--window-id=44040199"}).options.windowId, 44040199u);
    Outcome root = read({"--root", "--max-fps", "10"});
    EXPECT_EQ(root.options.mode, RunMode::Screensaver);
    EXPECT_FALSE(root.options.hasWindowId);
    EXPECT_EQ(read({"--tour"}).options.mode, RunMode::Window);
    for (const char* bad : {"0x", "0", "zz", "12abc", "0x1ffffffff", "99999999999", "-1", "0x-1"}) {
        Outcome o = read({"--window-id", bad});
        EXPECT_EQ(o.result, CommandLine::Wrong) << bad;
        EXPECT_NE(o.text.find(bad), std::string::npos) << o.text;
    }
    EXPECT_EQ(read({"--window-id"}).result, CommandLine::Wrong);
}

TEST(OptionsTest, FishSpeedAndDrawnFrameRate) {
    Outcome plain = read({});
    EXPECT_TRUE(plain.options.fish == 50 && plain.options.speed == 1.0 && !plain.options.fpsOverlay);
    Outcome all = read({"--fish", "500", "--speed=2.5", "--show-fps"});
    ASSERT_EQ(all.result, CommandLine::Run) << all.text;
    EXPECT_TRUE(all.options.fish == 500 && all.options.speed == 2.5 && all.options.fpsOverlay);
    EXPECT_EQ(read({"--fish=1"}).options.fish, 1);
    EXPECT_EQ(read({"--fish", "30000"}).options.fish, 30000);
    Outcome tooMany = read({"--fish", "30001"});
    EXPECT_EQ(tooMany.result, CommandLine::Wrong);
    EXPECT_EQ(tooMany.text.rfind("Marivelle: '30001' is not a number of fish from 1 to 30000 for '--fish'", 0), 0u) << tooMany.text;
    // The ends of the range, and the forms the screensaver settings write.
    for (auto [text, value] : {std::pair{"0.25", 0.25}, {"4", 4.0}, {"1,5", 1.5}, {".484", 0.484}}) {
        EXPECT_EQ(read({"--speed", text}).options.speed, value) << text;
    }
    for (const char* fish : {"0", "30001", "99999", "100000", "x", "-1", "1e2"}) {
        EXPECT_EQ(read({"--fish", fish}).result, CommandLine::Wrong) << fish;
    }
    for (const char* speed : {"0", "5", "1e9", "nan", "inf", "0.2499", "4.001", "1.2.3", ".", "-1", ""}) {
        Outcome o = read({"--speed", speed});
        EXPECT_EQ(o.result, CommandLine::Wrong) << speed;
        EXPECT_EQ(o.text.rfind("Marivelle: '" + std::string(speed) + "' is not a speed", 0), 0u) << o.text;
    }
    EXPECT_EQ(read({"--show-fps=1"}).result, CommandLine::Wrong);
    EXPECT_NE(read({"--help"}).text.find("--speed X"), std::string::npos);
}

TEST(OptionsTest, TheWallpaperStandsAloneAndStopGoesWithIt) {
    Outcome wallpaper = read({"--wallpaper", "--fish", "80", "--max-fps", "20", "--tour"});
    ASSERT_EQ(wallpaper.result, CommandLine::Run);
    EXPECT_EQ(wallpaper.options.mode, RunMode::Wallpaper);
    EXPECT_EQ(read({"--stop", "--wallpaper"}).options.mode, RunMode::StopWallpaper);
    const std::vector<std::vector<const char*>> refused = {
        {"--stop"}, {"--wallpaper", "--root"}, {"--window-id", "0x123", "--wallpaper"},
        {"--wallpaper", "--fullscreen"}, {"--wallpaper=1"}, {"--wallpaper", "--stop=now"},
    };
    for (const auto& args : refused) {
        Outcome o = read(args);
        EXPECT_EQ(o.result, CommandLine::Wrong) << args[0];
        EXPECT_EQ(o.text.rfind("Marivelle: ", 0), 0u) << o.text;
        EXPECT_EQ(o.text.find('\n'), o.text.size() - 1) << o.text;
    }
    EXPECT_NE(read({"--root", "--wallpaper"}).text.find("'--root'"), std::string::npos);
    EXPECT_NE(read({"--help"}).text.find("--wallpaper"), std::string::npos);
}

TEST(OptionsTest, TheWallpapersLayerIsBackgroundOrBottom) {
    EXPECT_FALSE(read({"--wallpaper"}).options.bottomLayer);
    EXPECT_FALSE(read({"--wallpaper", "--layer", "background"}).options.bottomLayer);
    Outcome bottom = read({"--layer=bottom", "--wallpaper"});
    ASSERT_EQ(bottom.result, CommandLine::Run);
    EXPECT_TRUE(bottom.options.bottomLayer);
    for (const char* wrong : {"top", "Bottom", "", "bottom "}) {
        Outcome o = read({"--wallpaper", "--layer", wrong});
        EXPECT_EQ(o.result, CommandLine::Wrong) << wrong;
        EXPECT_NE(o.text.find("'background' or 'bottom'"), std::string::npos) << o.text;
    }
    EXPECT_EQ(read({"--layer", "bottom"}).result, CommandLine::Wrong);
    EXPECT_EQ(read({"--wallpaper", "--layer"}).result, CommandLine::Wrong);
}

TEST(OptionsTest, TheMonitorAndTheScreensaverHoldAreForTheProgramsOwnWindow) {
    Outcome o = read({"--display", "1", "--no-blank"});
    ASSERT_EQ(o.result, CommandLine::Run) << o.text;
    EXPECT_EQ(o.options.monitor, 1);
    EXPECT_TRUE(o.options.noBlank);
    EXPECT_EQ(read({}).options.monitor, -1);
    EXPECT_FALSE(read({}).options.noBlank);
    EXPECT_EQ(read({"--display=0"}).options.monitor, 0);
    for (const char* wrong : {"-1", "x", "", "1.5", "+1", "12345"}) {
        Outcome bad = read({"--display", wrong});
        EXPECT_EQ(bad.result, CommandLine::Wrong) << wrong;
        EXPECT_NE(bad.text.find("a monitor number (0 is the first)"), std::string::npos) << bad.text;
    }
    const std::vector<std::vector<const char*>> refused = {
        {"--wallpaper", "--display", "0"}, {"--root", "--no-blank"}, {"--window-id", "0x400001", "--no-blank"},
        {"--wallpaper", "--no-blank"}, {"--no-blank=1"}};
    for (const auto& args : refused) {
        Outcome bad = read(args);
        EXPECT_EQ(bad.result, CommandLine::Wrong) << args[0] << " " << args[1];
        EXPECT_EQ(bad.text.find('\n'), bad.text.size() - 1) << bad.text;
    }
}

TEST(OptionsTest, TheBatteryRateIsForAScreensaverOrAWallpaper) {
    EXPECT_EQ(read({"--root"}).options.batteryFps, 10);
    EXPECT_EQ(read({"--wallpaper", "--battery-fps", "0"}).options.batteryFps, 0);
    EXPECT_EQ(read({"--root", "--battery-fps=1000"}).options.batteryFps, 1000);
    for (const char* wrong : {"1001", "-1", "x", ""}) {
        Outcome bad = read({"--root", "--battery-fps", wrong});
        EXPECT_EQ(bad.result, CommandLine::Wrong) << wrong;
        EXPECT_NE(bad.text.find("a frame rate from 0 to 1000"), std::string::npos) << bad.text;
    }
    EXPECT_EQ(read({"--battery-fps", "5"}).result, CommandLine::Wrong);
}

TEST(OptionsTest, TheEmbeddedWindowTakesThePacingOptionsAndNothingThatPlacesIt) {
    Outcome embedded = read({"--embedded", "--fish", "120", "--speed", "2.5", "--max-fps", "24", "--battery-fps", "0"});
    ASSERT_EQ(embedded.result, CommandLine::Run);
    EXPECT_EQ(embedded.options.mode, RunMode::Embedded);
    EXPECT_EQ(embedded.options.fish, 120);
    EXPECT_EQ(embedded.options.batteryFps, 0);
    const std::vector<std::vector<const char*>> refused = {
        {"--embedded", "--wallpaper"}, {"--embedded", "--root"}, {"--window-id", "7", "--embedded"},
        {"--embedded", "--fullscreen"}, {"--embedded", "--display", "1"}, {"--embedded", "--no-blank"},
        {"--embedded=yes"},
    };
    for (const auto& args : refused) {
        Outcome o = read(args);
        EXPECT_EQ(o.result, CommandLine::Wrong) << args[0] << ' ' << args[1];
        EXPECT_EQ(o.text.find('\n'), o.text.size() - 1) << o.text;
    }
}
