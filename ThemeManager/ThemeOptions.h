#pragma once
// The options of the theme manager: which application theme properties it
// sets, which control classes it hooks and how it paints them.

#include <cstdint>
#include <initializer_list>

// Each option is the bit of its ordinal.
enum TThemeOption : int {
    toAllowNonClientArea,    // application property STAP_ALLOW_NONCLIENT
    toAllowControls,         // STAP_ALLOW_CONTROLS
    toAllowWebContent,       // STAP_ALLOW_WEBCONTENT
    toSubclassAnimate,       // hook animations
    toSubclassButtons,       // hook buttons, check boxes, radio buttons
    toSubclassCheckListbox,  // hook check-list boxes
    toSubclassDBLookup,      // no effect: there are no data-aware lookup controls
    toSubclassFrame,         // hook frames
    toSubclassGroupBox,      // hook group boxes
    toSubclassListView,      // hook list views
    toSubclassPanel,         // hook panels
    toSubclassTabSheet,      // hook tab sheets
    toSubclassSpeedButtons,  // hook speed buttons
    toSubclassSplitter,      // hook splitters
    toSubclassStatusBar,     // hook status bars
    toSubclassTrackBar,      // hook track bars
    toSubclassWinControl,    // hook every other windowed control
    toResetMouseCapture,     // tool buttons keep no mouse capture
    toSetTransparency,       // tool bars and labels are transparent
    toAlternateTabSheetDraw, // tab sheets paint the plain tab-body background
};

class TThemeOptions {
public:
    constexpr TThemeOptions() = default;
    constexpr explicit TThemeOptions(std::uint32_t bits)
        : bits_(bits)
    {
    }
    constexpr TThemeOptions(std::initializer_list<TThemeOption> options)
    {
        for (TThemeOption option : options)
            bits_ |= bit(option);
    }

    constexpr bool Contains(TThemeOption option) const { return (bits_ & bit(option)) != 0; }
    constexpr TThemeOptions With(TThemeOption option) const { return TThemeOptions(bits_ | bit(option)); }
    constexpr TThemeOptions Without(TThemeOption option) const { return TThemeOptions(bits_ & ~bit(option)); }
    constexpr std::uint32_t Bits() const { return bits_; }
    // Options 0-2 as application theme properties.
    constexpr std::uint32_t AppProperties() const { return bits_ & 7u; }

    friend constexpr bool operator==(TThemeOptions, TThemeOptions) = default;

private:
    static constexpr std::uint32_t bit(TThemeOption option) { return 1u << static_cast<int>(option); }

    std::uint32_t bits_ = 0;
};

// All options but toSubclassAnimate and toAlternateTabSheetDraw.
inline constexpr TThemeOptions kDefaultThemeOptions{0x7FFF7u};
