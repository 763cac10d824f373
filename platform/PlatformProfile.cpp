#include "PlatformProfile.h"

#include "Site.h"

#include <atomic>
#include <mutex>

namespace platform {
namespace {

std::mutex& profileMutex()
{
    static std::mutex m;
    return m;
}

PlatformProfile& profileStorage()
{
    static PlatformProfile p = PlatformProfile::nt5();
    return p;
}

std::atomic<ProfileListener>& listener()
{
    static std::atomic<ProfileListener> l{nullptr};
    return l;
}

} // namespace

PlatformProfile PlatformProfile::nt5()
{
    return PlatformProfile{};
}

PlatformProfile PlatformProfile::nt51()
{
    PlatformProfile p;
    p.minorVersion = 1;
    p.buildNumber = 2600;
    p.csdVersion = "Service Pack 2";
    p.missingModules.erase("uxtheme.dll");
    p.visualStyleActive = true;
    p.commonControlsVersion = 0x00060000;
    return p;
}

PlatformProfile PlatformProfile::nt6()
{
    PlatformProfile p;
    p.majorVersion = 6;
    p.minorVersion = 1;
    p.buildNumber = 7601;
    p.csdVersion = "Service Pack 1";
    p.missingModules.erase("uxtheme.dll");
    p.visualStyleActive = true;
    p.commonControlsVersion = 0x0006000A; // 6.10
    return p;
}

PlatformProfile PlatformProfile::win9x(bool withRemoteAdministration)
{
    PlatformProfile p;
    p.platformId = 1; // VER_PLATFORM_WIN32_WINDOWS
    p.majorVersion = 4;
    p.minorVersion = 10;
    p.buildNumber = 2222;
    p.csdVersion = " A ";
    if (!withRemoteAdministration)
        p.missingModules.insert("varovu32.dll");
    return p;
}

const PlatformProfile& CurrentProfile()
{
    // The profile that the site names is in force from the platform's first
    // use on.
    CurrentSite();
    std::lock_guard lock(profileMutex());
    return profileStorage();
}

void SetProfile(const PlatformProfile& profile)
{
    {
        std::lock_guard lock(profileMutex());
        profileStorage() = profile;
    }
    if (ProfileListener l = listener().load())
        l();
}

void SetProfileListener(ProfileListener l)
{
    listener().store(l);
}

ScopedProfile::ScopedProfile(const PlatformProfile& profile)
    : previous_(CurrentProfile())
{
    SetProfile(profile);
}

ScopedProfile::~ScopedProfile()
{
    SetProfile(previous_);
}

} // namespace platform
