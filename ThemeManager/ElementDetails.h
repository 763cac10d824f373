#pragma once
// Element details: which theme class, part and state of the visual styles
// draws an element, in the numbering of the platform's visual-style schema,
// and the mappers from the program's flat element numbers to them.

#include <cstdint>

// The theme classes, by index; ThemeClassName gives the name that
// OpenThemeData takes.
enum TThemedElement : std::uint8_t {
    teButton,
    teClock,
    teComboBox,
    teEdit,
    teExplorerBar,
    teHeader,
    teListView,
    teMenu,
    tePage,
    teProgress,
    teRebar,
    teScrollBar,
    teSpin,
    teStartPanel,
    teStatus,
    teTab,
    teTaskBand,
    teTaskBar,
    teToolBar,
    teToolTip,
    teTrackBar,
    teTrayNotify,
    teTreeView,
    teWindow,
};
inline constexpr int kThemedElementCount = 24;

// "button", "clock", ..., "window".
const char16_t* ThemeClassName(TThemedElement element);

struct ThemedElementDetails {
    TThemedElement Element = teButton;
    int Part = 0;
    int State = 0;

    friend bool operator==(const ThemedElementDetails&, const ThemedElementDetails&) = default;
};

// Each mapper finds the range of its class that holds d: the part is the
// range's, the state d - (start of the range) + 1.  A number in no range
// gives part 0 and state d + 1.
ThemedElementDetails GetButtonDetails(int d);
ThemedElementDetails GetEditDetails(int d);
ThemedElementDetails GetRebarDetails(int d);
ThemedElementDetails GetStatusDetails(int d);
ThemedElementDetails GetTabDetails(int d);
ThemedElementDetails GetToolBarDetails(int d);
ThemedElementDetails GetTrackBarDetails(int d);
ThemedElementDetails GetWindowDetails(int d);
