#pragma once
// Which system the platform plays: the version GetVersionExA reports, the
// modules and entry points that LoadLibraryA and GetProcAddress find, and
// the visual styles of its windows.  Tests switch profiles to play an NT 5,
// an NT 5.1, an NT 6 or a Windows 9x system.

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
    // The visual-style library came with NT 5.1: systems before it lack it.
    std::set<std::string> missingModules{"uxtheme.dll"};
    // Entry points, as "module!Name" in lower-case module form, that
    // GetProcAddress does not find although the module loads.
    std::set<std::string> missingProcs;
    // The language of the user and of the system (0x0409, English (United
    // States)): the one that message look-ups in language 0 prefer.
    WORD uiLanguage = 0x0409;

    // The visual styles (VisualStyles.h): whether the user's desktop has a
    // visual style active, the application's theme properties (STAP_* bits,
    // all three allowed at start) and the version of the common controls the
    // program runs with (major in the high word, minor in the low word).
    // Changing any of them while the program runs is a theme switch.
    bool visualStyleActive = false;
    DWORD themeAppProperties = 7;
    DWORD commonControlsVersion = 0x00050051; // 5.81

    static PlatformProfile nt5();
    // NT 5.1 with a visual style active and common controls 6.0.
    static PlatformProfile nt51();
    static PlatformProfile nt6();
    static PlatformProfile win9x(bool withRemoteAdministration);
};

// The current profile; the first call looks up the site (Site.h), whose
// site.ini may name the profile.
const PlatformProfile& CurrentProfile();
void SetProfile(const PlatformProfile& profile);

// Called after every SetProfile, outside the profile's lock, on the thread
// that set it (the windowing part of the platform follows the visual styles
// this way).  One listener; null removes it.
using ProfileListener = void (*)();
void SetProfileListener(ProfileListener listener);

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
