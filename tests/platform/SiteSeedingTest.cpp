// A new user's site is copied from the demo network: only when the user has
// none, whole or not at all, and never over a site that exists.

#include "platform/Site.h"
#include "platform/SiteSeeding.h"
#include "platform/UserDirectories.h"

#include "ScopedVariable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void writeText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> entriesOf(const fs::path& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class SiteSeeding : public ::testing::Test {
protected:
    fs::path root;
    fs::path demo;
    fs::path data;
    fs::path userSite;
    std::optional<ScopedVariable> site;
    std::optional<ScopedVariable> xdg;

    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "qvseed-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        demo = root / "demo";
        data = root / "data";
        userSite = data / "quellvane" / "site";
        writeText(demo / "site.ini", "[Site]\nLocalComputer=SEEDED1\n");
        writeText(demo / "hosts" / "SEEDED1" / "registry" / "accounts.txt", "# none\n");
        writeText(demo / "hosts" / "SEEDED1" / "C" / "WINDOWS" / "system32" / "x.dll", "MZ");
        writeText(demo / ".qv-demosite", "marker\n");
        site.emplace("QUELLVANE_SITE", nullptr);
        xdg.emplace("XDG_DATA_HOME", data.c_str());
        platform::ResetSite();
    }

    void TearDown() override
    {
        platform::ResetSite();
        xdg.reset();
        site.reset();
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

TEST_F(SiteSeeding, CopiesTheDemoNetworkWhenTheUserHasNoSite)
{
    // The platform looked the site up before: it had none.
    EXPECT_EQ(platform::CurrentSite()->LocalComputer().name, "QUELLVANE");
    std::string error;
    ASSERT_TRUE(platform::SeedSiteFrom(demo.string(), error)) << error;
    EXPECT_EQ(readText(userSite / "site.ini"), "[Site]\nLocalComputer=SEEDED1\n");
    EXPECT_EQ(readText(userSite / "hosts" / "SEEDED1" / "C" / "WINDOWS" / "system32" / "x.dll"), "MZ");
    EXPECT_EQ(entriesOf(userSite), (std::vector<std::string>{"hosts", "site.ini"})) << "the marker stays behind";
    EXPECT_EQ(entriesOf(data / "quellvane"), std::vector<std::string>{"site"}) << "nothing is left beside it";
    // The next use of the platform finds the new site.
    EXPECT_EQ(platform::CurrentSite()->LocalComputer().name, "SEEDED1");
    // The demo network itself is untouched.
    EXPECT_TRUE(fs::exists(demo / ".qv-demosite"));
}

TEST_F(SiteSeeding, FillsAnEmptySiteDirectory)
{
    fs::create_directories(userSite);
    std::string error;
    ASSERT_TRUE(platform::SeedSiteFrom(demo.string(), error)) << error;
    EXPECT_TRUE(fs::exists(userSite / "site.ini"));
}

TEST_F(SiteSeeding, NeverTouchesASiteThatExists)
{
    writeText(userSite / "site.ini", "[Site]\nLocalComputer=MINE\n");
    writeText(userSite / "notes.txt", "kept");
    std::string error;
    EXPECT_TRUE(platform::SeedSiteFrom(demo.string(), error)) << error;
    EXPECT_EQ(readText(userSite / "site.ini"), "[Site]\nLocalComputer=MINE\n");
    EXPECT_EQ(entriesOf(userSite), (std::vector<std::string>{"notes.txt", "site.ini"}));
    EXPECT_EQ(entriesOf(data / "quellvane"), std::vector<std::string>{"site"});
}

TEST_F(SiteSeeding, LeavesASiteGivenInTheEnvironmentAlone)
{
    const fs::path explicitSite = root / "explicit";
    ScopedVariable given("QUELLVANE_SITE", explicitSite.c_str());
    std::string error;
    EXPECT_TRUE(platform::SeedSiteFrom(demo.string(), error)) << error;
    EXPECT_FALSE(fs::exists(explicitSite));
    EXPECT_FALSE(fs::exists(data));
}

TEST_F(SiteSeeding, FailsWithoutADemoSiteAndLeavesNothingBehind)
{
    const struct {
        const char* what;
        fs::path directory;
    } cases[] = {
        {"missing directory", root / "nowhere"},
        {"directory without site.ini", demo / "hosts"},
        {"no directory given", fs::path()},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(platform::SeedSiteFrom(c.directory.string(), error)) << c.what;
        EXPECT_NE(error.find("no demo site"), std::string::npos) << c.what << ": " << error;
        EXPECT_FALSE(fs::exists(userSite)) << c.what;
    }
    EXPECT_FALSE(platform::SeedSiteFrom((root / "nowhere").string()));
}

TEST_F(SiteSeeding, FailsWithoutAHomeDirectory)
{
    ScopedVariable noData("XDG_DATA_HOME", nullptr);
    ScopedVariable noHome("HOME", nullptr);
    std::string error;
    EXPECT_FALSE(platform::SeedSiteFrom(demo.string(), error));
    EXPECT_NE(error.find("home directory"), std::string::npos) << error;
}

} // namespace
