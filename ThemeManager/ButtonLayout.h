#pragma once
// Where a button's glyph and caption go inside its content rectangle.

#include <QPoint>
#include <QRect>
#include <QSize>

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct TButtonPlacement {
    QPoint GlyphPos;
    QRect TextBounds;
};

// The glyph goes `margin` pixels in from the layout's side and the caption
// follows `spacing` pixels after it; across, both are centred.  With margin
// and spacing both -1 the free space is split in three (margin, spacing and
// the rest); with only the margin -1 glyph and caption are centred together;
// with only the spacing -1 the caption is centred in the room after the
// glyph.  Without a glyph or without a caption there is no spacing.  Reading
// from right to left swaps the left and right layouts.  A margin that comes
// out negative (the content is wider than the room) is 0, so the glyph
// stays inside and the caption is cut at the far side.
TButtonPlacement CalcButtonLayout(const QRect& client, QSize glyph, QSize text, TButtonLayout layout, int margin,
                                  int spacing, bool rightToLeft);
