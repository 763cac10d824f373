#include "ThemeManager/ThemeMgr.h"
#include "ThemeManager/WindowProcList.h"

#include <QPushButton>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

TEST(WindowProcList, KeepsItsControlsFindableThroughAddsAndRemoves)
{
    TThemeManager owner;
    TWindowProcList list(owner, TControlClass::SpeedButton);
    QWidget parent;
    std::vector<QToolButton*> buttons;
    for (int i = 0; i < 7; ++i) {
        buttons.push_back(new QToolButton(&parent));
        ASSERT_TRUE(list.Add(buttons.back()));
    }
    QPushButton other(&parent);
    EXPECT_FALSE(list.Add(&other));      // another class
    EXPECT_FALSE(list.Add(buttons[3])); // already listed
    EXPECT_EQ(list.Count(), 7);

    // Found again and again (the one-entry cache), and after removals
    // before and after the cached one.
    for (int round = 0; round < 2; ++round)
        for (QToolButton* button : buttons)
            EXPECT_GE(list.Find(button), 0);
    EXPECT_GE(list.Find(buttons[5]), 0);
    EXPECT_TRUE(list.Remove(buttons[2]));
    EXPECT_FALSE(list.Remove(buttons[2]));
    EXPECT_EQ(list.Find(buttons[2]), -1);
    for (int i : {0, 1, 3, 4, 5, 6})
        EXPECT_EQ(list.Find(buttons[static_cast<std::size_t>(i)]) >= 0, true) << i;

    // A control that goes leaves the list by itself.
    delete buttons[6];
    EXPECT_EQ(list.Count(), 5);
    EXPECT_EQ(list.Find(&other), -1);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}
