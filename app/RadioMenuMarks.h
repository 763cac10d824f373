#pragma once
// Radio items of a menu (the checkable actions of an exclusive group) show
// a round mark, and check items a tick, in both looks.  The themed look's
// style draws both kinds itself; the plain look's style draws the tick for
// either, so a menu that holds radio items draws them through a style of
// its own while the plain look is on.

class QMenu;

// Makes `menu` draw its radio items with round marks from now on, following
// the look in force each time the menu opens.
void ShowRadioMarks(QMenu* menu);
