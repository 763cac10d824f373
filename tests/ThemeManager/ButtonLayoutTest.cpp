#include "ThemeManager/ButtonLayout.h"

#include <gtest/gtest.h>

TEST(ButtonLayout, PlacesGlyphAndCaption)
{
    const QRect client(3, 3, 100, 20);
    const QSize glyph(16, 16);
    const QSize text(40, 12);
    struct Case {
        const char* name;
        TButtonLayout layout;
        int margin;
        int spacing;
        bool rightToLeft;
        QSize glyph;
        QPoint glyphAt;
        QPoint textAt;
    };
    const Case cases[] = {
        // 100 - (16 + 4 + 40) = 40: 20 on each side.
        {"centred together", blGlyphLeft, -1, 4, false, glyph, {23, 5}, {43, 7}},
        // 100 - 56 = 44 in three: margin and spacing 14.
        {"free space in three", blGlyphLeft, -1, -1, false, glyph, {17, 5}, {47, 7}},
        // After a margin of 2 and the glyph, 82 - 40 = 42: spacing 21.
        {"caption centred after the glyph", blGlyphLeft, 2, -1, false, glyph, {5, 5}, {42, 7}},
        {"glyph right", blGlyphRight, 2, 4, false, glyph, {85, 5}, {41, 7}},
        {"right to left swaps", blGlyphLeft, 2, 4, true, glyph, {85, 5}, {41, 7}},
        {"no glyph: caption centred", blGlyphLeft, -1, 4, false, QSize(), {33, 13}, {33, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TButtonPlacement p =
            CalcButtonLayout(client, c.glyph, text, c.layout, c.margin, c.spacing, c.rightToLeft);
        if (!c.glyph.isEmpty())
            EXPECT_EQ(p.GlyphPos, c.glyphAt);
        EXPECT_EQ(p.TextBounds.topLeft(), c.textAt);
        EXPECT_EQ(p.TextBounds.size(), text);
    }
}

TEST(ButtonLayout, GlyphOnTopAndContentWiderThanTheRoom)
{
    const TButtonPlacement top =
        CalcButtonLayout(QRect(0, 0, 40, 50), QSize(16, 16), QSize(30, 12), blGlyphTop, -1, 4, false);
    EXPECT_EQ(top.GlyphPos, QPoint(12, 9));
    EXPECT_EQ(top.TextBounds.topLeft(), QPoint(5, 29));

    // A caption too wide for the button: the glyph stays at the edge.
    const TButtonPlacement wide =
        CalcButtonLayout(QRect(3, 3, 18, 18), QSize(16, 16), QSize(80, 12), blGlyphLeft, -1, 4, false);
    EXPECT_EQ(wide.GlyphPos, QPoint(3, 4));
    EXPECT_EQ(wide.TextBounds.left(), 3 + 16 + 4);
}
