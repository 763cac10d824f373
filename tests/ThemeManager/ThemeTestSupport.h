#pragma once
// Profiles and theme switches for the visual-style tests.

#include "platform/PlatformProfile.h"

#include <QCoreApplication>

#include <optional>

// The platform follows a new profile, and the windows hear of a theme
// switch, from the event loop.
inline void Settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// Plays another profile for the life of a scope; the windows hear of the
// switch, and of the switch back, before the scope's first and after its
// last statement.
class ScopedTheme {
public:
    explicit ScopedTheme(const platform::PlatformProfile& profile)
        : profile_(profile)
    {
        Settle();
    }
    ~ScopedTheme() { restoreThenSettle(); }
    ScopedTheme(const ScopedTheme&) = delete;
    ScopedTheme& operator=(const ScopedTheme&) = delete;

private:
    // The profile goes back first, then the loop runs.
    void restoreThenSettle()
    {
        profile_.reset();
        Settle();
    }

    std::optional<platform::ScopedProfile> profile_;
};

// NT 5.1 with the visual styles switched off: the library is there, no
// style is active.
inline platform::PlatformProfile WithoutVisualStyle()
{
    platform::PlatformProfile p = platform::PlatformProfile::nt51();
    p.visualStyleActive = false;
    return p;
}

// NT 5.1 running with common controls of another version.
inline platform::PlatformProfile WithCommonControls(DWORD version)
{
    platform::PlatformProfile p = platform::PlatformProfile::nt51();
    p.commonControlsVersion = version;
    return p;
}
