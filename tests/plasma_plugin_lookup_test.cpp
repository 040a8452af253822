// Where the program looks for its Plasma wallpaper plugin before making it
// the wallpaper: the folders Plasma itself looks in, in its order.
#include "platform/system/plasma_wallpaper.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class PlasmaPluginLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/plasma-lookup-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
    }
    void TearDown() override { fs::remove_all(root); }

    // A folder under the root; with a package when PACKAGE says, or only the
    // plugin's folder without its metadata.
    std::string dataDir(const std::string& name, bool package) {
        fs::path plugin = root / name / "plasma/wallpapers/example.marivelle.wallpaper";
        fs::create_directories(plugin);
        if (package) {
            std::ofstream(plugin / "metadata.json") << "{}\n";
        }
        return (root / name).string();
    }

    fs::path root;
};

TEST_F(PlasmaPluginLookupTest, FindsThePackageInTheUsersOrTheSystemsFolders) {
    std::string user = dataDir("user", true);
    std::string system = dataDir("system", true);
    std::string bare = dataDir("bare", false);
    std::string none = (root / "none").string();
    EXPECT_TRUE(findPlasmaPlugin(user, none));
    EXPECT_TRUE(findPlasmaPlugin(none, none + ":" + system));
    EXPECT_TRUE(findPlasmaPlugin(none, "::" + none + "::" + system + ":"));
    // A folder without the package's metadata is no package.
    EXPECT_FALSE(findPlasmaPlugin(bare, none + ":" + bare));
    EXPECT_FALSE(findPlasmaPlugin(none, none));
    // Relative entries are not valid places.
    fs::path before = fs::current_path();
    fs::current_path(root);
    EXPECT_FALSE(findPlasmaPlugin("user", "system"));
    fs::current_path(before);
}

TEST_F(PlasmaPluginLookupTest, EmptyVariablesMeanTheStandardFolders) {
    std::string home = (root / "home").string();
    fs::create_directories(root / "home/.local/share/plasma/wallpapers/example.marivelle.wallpaper");
    std::ofstream(root / "home/.local/share/plasma/wallpapers/example.marivelle.wallpaper/metadata.json") << "{}\n";
    const char* saved = std::getenv("HOME");
    std::string keep = saved ? saved : "";
    setenv("HOME", home.c_str(), 1);
    EXPECT_TRUE(findPlasmaPlugin("", (root / "none").string()));
    setenv("HOME", keep.c_str(), 1);
}

} // namespace
