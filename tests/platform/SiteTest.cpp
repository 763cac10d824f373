#include "SiteBuilder.h"

#include "platform/ErrorCodes.h"
#include "platform/Kernel32.h"
#include "platform/PlatformProfile.h"
#include "platform/Site.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace platform;
namespace fs = std::filesystem;

namespace {

// Sets an environment variable for the life of a scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value)
        : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old, hadOld_ = true;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (hadOld_)
            ::setenv(name_, old_.c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool hadOld_ = false;
};

void writeText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string localName()
{
    char buffer[64];
    DWORD size = sizeof buffer;
    EXPECT_TRUE(GetComputerNameA(buffer, &size));
    return std::string(buffer, size);
}

} // namespace

TEST(Site, LoadsTheNetworkOfSiteIni)
{
    SiteBuilder site;
    site.Local("wks1")
        .Provider("Microsoft Windows Network")
        .Provider("Other Network")
        .Domain("CORP")
        .Domain("LAB", "Other Network")
        .Computer("SERVER1", {.domain = "CORP", .comment = "File server"})
        .Computer("SERVER2", {.domain = "corp", .reachable = false})
        .Computer("Lab1", {.domain = "LAB"});
    site.Load();

    EXPECT_EQ(localName(), "WKS1");
    const auto current = CurrentSite();
    EXPECT_EQ(current->Directory(), site.Directory());
    ASSERT_EQ(current->Providers().size(), 2u);
    EXPECT_EQ(current->Providers()[0].domains, std::vector<std::string>{"CORP"});
    EXPECT_EQ(current->Providers()[1].domains, std::vector<std::string>{"LAB"});
    ASSERT_EQ(current->Domains().size(), 2u);
    EXPECT_EQ(current->Domains()[0].provider, "Microsoft Windows Network");
    EXPECT_EQ(current->Domains()[0].computers, (std::vector<std::string>{"SERVER1", "SERVER2"}));
    EXPECT_EQ(current->Domains()[1].computers, std::vector<std::string>{"LAB1"});
    const SiteComputer* server1 = current->FindComputer("\\\\server1");
    ASSERT_NE(server1, nullptr);
    EXPECT_EQ(server1->comment, "File server");
    EXPECT_FALSE(current->FindComputer("SERVER2")->reachable);
    EXPECT_EQ(current->FindComputer("NOSUCH"), nullptr);
    EXPECT_EQ(current->FindComputer(""), nullptr);
    EXPECT_TRUE(current->IsLocal(nullptr));
    EXPECT_TRUE(current->IsLocal(""));
    EXPECT_TRUE(current->IsLocal("\\\\Wks1"));
    EXPECT_FALSE(current->IsLocal("SERVER1"));
    EXPECT_EQ(current->LocalComputer().name, "WKS1");
    EXPECT_TRUE(current->LocalComputer().domain.empty());
}

TEST(Site, WithoutProvidersTheNetworkHasTheUsualOne)
{
    SiteBuilder site;
    site.Domain("WORKGROUP").Computer("WKS1", {.domain = "WORKGROUP"});
    site.Load();
    ASSERT_EQ(CurrentSite()->Providers().size(), 1u);
    EXPECT_EQ(CurrentSite()->Providers()[0].name, "Microsoft Windows Network");
    EXPECT_EQ(CurrentSite()->Domains()[0].computers, std::vector<std::string>{"WKS1"});
}

TEST(Site, GetComputerNameFollowsThePlatformConventions)
{
    SiteBuilder site;
    site.Local("Workstation-01");
    site.Load();
    char buffer[16];
    DWORD size = 5;
    EXPECT_FALSE(GetComputerNameA(buffer, &size));
    EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);
    EXPECT_EQ(size, 15u);
    size = sizeof buffer;
    ASSERT_TRUE(GetComputerNameA(buffer, &size));
    EXPECT_EQ(std::string(buffer), "WORKSTATION-01");
    EXPECT_EQ(size, 14u);
}

TEST(Site, ItsProfileBecomesTheCurrentOne)
{
    ScopedProfile keep(PlatformProfile::nt5());
    SiteBuilder site;
    site.Profile("win9x");
    site.Load();
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);
}

TEST(Site, ItsProfileMayPlayNT51WithVisualStyles)
{
    ScopedProfile keep(PlatformProfile::nt5());
    SiteBuilder site;
    site.Profile("NT51");
    site.Load();
    const PlatformProfile& profile = platform::CurrentProfile();
    EXPECT_EQ(profile.majorVersion, 5u);
    EXPECT_EQ(profile.minorVersion, 1u);
    EXPECT_TRUE(profile.visualStyleActive);
    EXPECT_EQ(profile.commonControlsVersion, 0x00060000u);
    EXPECT_EQ(profile.missingModules.count("uxtheme.dll"), 0u);
}

TEST(Site, DamagedSiteIniIsRefusedAndTheSiteStays)
{
    SiteBuilder good;
    good.Local("GOOD");
    good.Load();
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"[Computer A]\n", "the section [Site] is missing"},
        {"[Site]\n", "line 1: LocalComputer must name the local computer"},
        {"[Site]\nLocalComputer=bad name\n", "line 2: LocalComputer must name"},
        {"[Site]\nLocalComputer=A\nProfile=nt4\n", "line 3: Profile must be nt5, nt51, nt6, win9x or win9x-bare"},
        {"[Site]\nLocalComputer=A\nColour=red\n", "line 3: unknown key \"Colour\" in [Site]"},
        {"[Site]\nLocalComputer=A\n[Printer P]\n", "line 3: unknown section [Printer P]"},
        {"[Site]\nLocalComputer=A\n[Computer B]\nReachable=maybe\n", "line 4: Reachable must be yes or no"},
        {"[Site]\nLocalComputer=A\n[Computer B]\n[Computer b]\n", "line 4: the section [Computer b] is given twice"},
        {"[Site]\nLocalComputer=A\n[Computer B]\nDomain=NOWHERE\n", "the computer B names the unknown domain"},
        {"[Site]\nLocalComputer=A\n[Domain D]\nProvider=X\n", "the domain D names the unknown provider \"X\""},
        {"[Site]\nLocalComputer=A\n[Credentials Z]\nu=p\n", "line 3: credentials for the unknown computer \"Z\""},
        {"[Site]\nLocalComputer=A\n[Computer A]\nReachable=no\n", "line 2: the local computer cannot be unreachable"},
        {"[Site]\nLocalComputer=A\n[Computer SIXTEEN-LETTERS-X]\n", "line 3: \"SIXTEEN-LETTERS-X\" is not a computer name"},
        {"LocalComputer=A\n", "line 1: a key before the first section"},
        {"[Site]\nLocalComputer=A\nLocalComputer=B\n", "line 3: the key \"LocalComputer\" is given twice"},
        {"[Site]\nno equals sign\n", "line 2: \"Key=Value\" or \"[Section]\" expected"},
    };
    for (const auto& c : cases) {
        SiteBuilder bad;
        writeText(fs::path(bad.Directory()) / "site.ini", c.text);
        EXPECT_FALSE(LoadSite(bad.Directory())) << c.text;
        const std::string expected = (fs::path(bad.Directory()) / "site.ini").string() + ": " + c.error;
        EXPECT_EQ(SiteError().rfind(expected, 0), 0u) << "got: " << SiteError();
        EXPECT_EQ(localName(), "GOOD");
    }
    SiteBuilder empty;
    EXPECT_FALSE(LoadSite(empty.Directory()));
    EXPECT_NE(SiteError().find("the site has no site.ini"), std::string::npos);
}

TEST(Site, IsFoundThroughTheEnvironmentOnFirstUse)
{
    SiteBuilder site;
    site.Local("FROMENV");
    site.Load();
    ResetSite();
    {
        ScopedEnvironment variable("QUELLVANE_SITE", site.Directory().c_str());
        EXPECT_EQ(localName(), "FROMENV");
    }

    const fs::path data = fs::path(site.Directory()) / "data";
    writeText(data / "quellvane" / "site" / "site.ini", "[Site]\nLocalComputer=FROMXDG\n");
    ResetSite();
    {
        ScopedEnvironment unset("QUELLVANE_SITE", nullptr);
        ScopedEnvironment xdg("XDG_DATA_HOME", data.c_str());
        EXPECT_EQ(localName(), "FROMXDG");
    }

    ResetSite();
    {
        ScopedEnvironment unset("QUELLVANE_SITE", nullptr);
        ScopedEnvironment xdg("XDG_DATA_HOME", (fs::path(site.Directory()) / "nothing").c_str());
        EXPECT_EQ(localName(), "QUELLVANE");
        EXPECT_EQ(SiteError(), "");
    }

    ResetSite();
    {
        ScopedEnvironment variable("QUELLVANE_SITE", (fs::path(site.Directory()) / "missing").c_str());
        EXPECT_EQ(localName(), "QUELLVANE");
        EXPECT_NE(SiteError().find("the site has no site.ini"), std::string::npos);
    }
}

TEST(Site, ReachingAComputerGivesThePlatformCodes)
{
    SiteBuilder site;
    site.Computer("SERVER1", {.requiresConnection = true, .accounts = {{"admin", "pw"}}})
        .Computer("SERVER2", {.reachable = false})
        .Computer("SERVER3");
    site.Load();
    const auto current = CurrentSite();
    const struct {
        const char* name;
        RemoteService service;
        DWORD code;
    } cases[] = {
        {nullptr, RemoteService::Registry, ERROR_SUCCESS},
        {"", RemoteService::EventLog, ERROR_SUCCESS},
        {"\\\\wks1", RemoteService::Files, ERROR_SUCCESS},
        {"SERVER3", RemoteService::Registry, ERROR_SUCCESS},
        {"\\\\SERVER3", RemoteService::EventLog, ERROR_SUCCESS},
        {"NOSUCH", RemoteService::EventLog, ERROR_BAD_NETPATH},
        {"\\\\", RemoteService::Registry, ERROR_BAD_NETPATH},
        {"SERVER2", RemoteService::Registry, ERROR_BAD_NETPATH},
        {"SERVER2", RemoteService::Files, ERROR_BAD_NETPATH},
        {"SERVER2", RemoteService::EventLog, RPC_S_SERVER_UNAVAILABLE},
        {"SERVER1", RemoteService::Registry, ERROR_ACCESS_DENIED},
        {"SERVER1", RemoteService::EventLog, ERROR_ACCESS_DENIED},
        {"SERVER1", RemoteService::Files, ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) {
        const SiteComputer* computer = nullptr;
        EXPECT_EQ(ReachComputer(*current, c.name, c.service, computer), c.code) << (c.name ? c.name : "(null)");
        EXPECT_EQ(computer != nullptr, c.code == ERROR_SUCCESS);
    }
    ASSERT_EQ(SiteBuilder::Connect("\\\\SERVER1\\IPC$", "admin", "pw"), ERROR_SUCCESS);
    const SiteComputer* computer = nullptr;
    EXPECT_EQ(ReachComputer(*current, "server1", RemoteService::Registry, computer), ERROR_SUCCESS);
    EXPECT_EQ(computer->name, "SERVER1");
}
