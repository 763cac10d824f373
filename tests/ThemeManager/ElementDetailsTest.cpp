#include "ThemeManager/ElementDetails.h"

#include <gtest/gtest.h>

TEST(ElementDetails, MapFlatNumbersToClassPartAndState)
{
    struct Case {
        const char* mapper;
        ThemedElementDetails (*map)(int);
        int d;
        ThemedElementDetails expected;
    };
    const Case cases[] = {
        // The edge cases of the caption buttons and of buttons.
        {"window", &GetWindowDetails, 57, {teWindow, 18, 1}},
        {"window", &GetWindowDetails, 60, {teWindow, 18, 4}},
        {"button", &GetButtonDetails, 1, {teButton, 0, 2}},
        // The ends of ranges, and numbers in no range.
        {"button", &GetButtonDetails, 2, {teButton, 1, 1}},
        {"button", &GetButtonDetails, 6, {teButton, 1, 5}},
        {"button", &GetButtonDetails, 26, {teButton, 3, 12}},
        {"button", &GetButtonDetails, 28, {teButton, 4, 2}},
        {"button", &GetButtonDetails, 29, {teButton, 5, 1}},
        {"button", &GetButtonDetails, 30, {teButton, 0, 31}},
        {"edit", &GetEditDetails, 2, {teEdit, 1, 1}},
        {"edit", &GetEditDetails, 9, {teEdit, 2, 1}},
        {"rebar", &GetRebarDetails, 4, {teRebar, 3, 1}},
        {"rebar", &GetRebarDetails, 17, {teRebar, 5, 4}},
        {"status", &GetStatusDetails, 1, {teStatus, 0, 2}},
        {"status", &GetStatusDetails, 4, {teStatus, 3, 1}},
        {"tab", &GetTabDetails, 41, {teTab, 8, 5}},
        {"tab", &GetTabDetails, 43, {teTab, 10, 1}},
        {"toolbar", &GetToolBarDetails, 5, {teToolBar, 1, 4}},
        {"toolbar", &GetToolBarDetails, 37, {teToolBar, 6, 6}},
        {"trackbar", &GetTrackBarDetails, 8, {teTrackBar, 3, 5}},
        {"trackbar", &GetTrackBarDetails, 35, {teTrackBar, 10, 1}},
        {"window", &GetWindowDetails, 21, {teWindow, 7, 2}},
        {"window", &GetWindowDetails, 95, {teWindow, 25, 4}},
        {"window", &GetWindowDetails, 107, {teWindow, 28, 4}},
        {"window", &GetWindowDetails, 108, {teWindow, 29, 1}},
        {"window", &GetWindowDetails, 116, {teWindow, 37, 1}},
        {"window", &GetWindowDetails, 117, {teWindow, 0, 118}},
        {"window", &GetWindowDetails, 0, {teWindow, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mapper) + " " + std::to_string(c.d));
        const ThemedElementDetails got = c.map(c.d);
        EXPECT_EQ(got.Element, c.expected.Element);
        EXPECT_EQ(got.Part, c.expected.Part);
        EXPECT_EQ(got.State, c.expected.State);
    }
}

TEST(ElementDetails, ClassNamesAreTheLibrarys)
{
    EXPECT_EQ(std::u16string(ThemeClassName(teButton)), u"button");
    EXPECT_EQ(std::u16string(ThemeClassName(teStatus)), u"status");
    EXPECT_EQ(std::u16string(ThemeClassName(teWindow)), u"window");
}
