#pragma once
// Which system the platform plays: the version GetVersionExA reports and the
// modules and entry points that LoadLibraryA and GetProcAddress find.
// Tests switch profiles to play an NT 5, an NT 6 or a Windows 9x system.

#include "Win32Types.h"

#include <set>
#include <string>

namespace platform {

struct PlatformProfile {
    DWORD platformId = 2; // VER_PLATFORM_WIN32_NT
    DWORD majorVersion = 5;
    DWORD minorVersion = 0;
    DWORD buildNumber = 2195;
    std::string csdVersion = "Service Pack 4";
    // Lower-case module names ("varovu32.dll") that LoadLibraryA cannot find.
    std::set<std::string> missingModules;
    // Entry points, as "module!Name" in lower-case module form, that
    // GetProcAddress does not find although the module loads.
    std::set<std::string> missingProcs;
    // The language of the user and of the system (0x0409, English (United
    // States)): the one that message look-ups in language 0 prefer.
    WORD uiLanguage = 0x0409;

    static PlatformProfile nt5();
    static PlatformProfile nt6();
    static PlatformProfile win9x(bool withRemoteAdministration);
};

// The current profile; the first call looks up the site (Site.h), whose
// site.ini may name the profile.
const PlatformProfile& CurrentProfile();
void SetProfile(const PlatformProfile& profile);

// Sets a profile for the life of a scope and restores the one before.
class ScopedProfile {
public:
    explicit ScopedProfile(const PlatformProfile& profile);
    ~ScopedProfile();
    ScopedProfile(const ScopedProfile&) = delete;
    ScopedProfile& operator=(const ScopedProfile&) = delete;

private:
    PlatformProfile previous_;
};

} // namespace platform
