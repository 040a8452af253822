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
    EXPECT_TRUE(checkScreensaverMode(hex.options));
    EXPECT_EQ(hex.options.windowId, 0x2a00007u);
    EXPECT_EQ(read({"--window-id=44040199"}).options.windowId, 44040199u);
    Outcome root = read({"--root", "--max-fps", "10"});
    EXPECT_TRUE(root.options.root);
    EXPECT_FALSE(root.options.hasWindowId);
    EXPECT_TRUE(checkScreensaverMode(root.options));
    EXPECT_FALSE(checkScreensaverMode(read({"--tour"}).options));
    for (const char* bad : {"0x", "0", "zz", "12abc", "0x1ffffffff", "99999999999", "-1", "0x-1"}) {
        Outcome o = read({"--window-id", bad});
        EXPECT_EQ(o.result, CommandLine::Wrong) << bad;
        EXPECT_NE(o.text.find(bad), std::string::npos) << o.text;
    }
    EXPECT_EQ(read({"--window-id"}).result, CommandLine::Wrong);
}

TEST(OptionsTest, FishSpeedAndDrawnFrameRate) {
    Outcome plain = read({});
    EXPECT_EQ(plain.options.fish, 50);
    EXPECT_EQ(plain.options.speed, 1.0);
    EXPECT_FALSE(plain.options.fpsOverlay);
    Outcome all = read({"--fish", "200", "--speed=2.5", "--show-fps"});
    ASSERT_EQ(all.result, CommandLine::Run) << all.text;
    EXPECT_EQ(all.options.fish, 200);
    EXPECT_EQ(all.options.speed, 2.5);
    EXPECT_TRUE(all.options.fpsOverlay);
    EXPECT_FALSE(all.options.showFps);
    // The ends of each range, and the forms the screensaver settings write.
    const std::vector<std::pair<const char*, double>> speeds = {
        {"0.25", 0.25}, {"4", 4.0}, {"4.000", 4.0}, {"1,500", 1.5}, {".5", 0.5}, {"2.", 2.0}};
    for (const auto& [text, value] : speeds) {
        EXPECT_EQ(read({"--speed", text}).options.speed, value) << text;
    }
    EXPECT_EQ(read({"--fish=1"}).options.fish, 1);
    EXPECT_EQ(read({"--fish", "500"}).options.fish, 500);
    const std::vector<std::vector<const char*>> bad = {
        {"--fish", "0"}, {"--fish", "501"}, {"--fish", "x"}, {"--fish", "-1"}, {"--fish"},
        {"--speed", "0"}, {"--speed", "5"}, {"--speed", "1e9"}, {"--speed", "nan"}, {"--speed", "inf"},
        {"--speed", "0.2499"}, {"--speed", "4.001"}, {"--speed", "1.2.3"}, {"--speed", "."}, {"--speed", "-1"},
        {"--show-fps=1"},
    };
    for (const auto& args : bad) {
        Outcome o = read(args);
        ASSERT_EQ(o.result, CommandLine::Wrong) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_EQ(o.text.rfind("Marivelle: ", 0), 0u) << o.text;
        EXPECT_EQ(o.text.find('\n'), o.text.size() - 1) << o.text;
    }
    Outcome help = read({"--help"});
    for (const char* option : {"--fish N", "--speed X", "--show-fps"}) {
        EXPECT_NE(help.text.find(option), std::string::npos) << option;
    }
}
