#include "ButtonLayout.h"

#include <algorithm>

TButtonPlacement CalcButtonLayout(const QRect& client, QSize glyph, QSize text, TButtonLayout layout, int margin,
                                  int spacing, bool rightToLeft)
{
    if (rightToLeft && (layout == blGlyphLeft || layout == blGlyphRight))
        layout = layout == blGlyphLeft ? blGlyphRight : blGlyphLeft;
    const bool across = layout == blGlyphLeft || layout == blGlyphRight;
    const int room = across ? client.width() : client.height();
    if (glyph.isEmpty())
        glyph = QSize(0, 0);
    if (text.isEmpty())
        text = QSize(0, 0);
    const int glyphSize = across ? glyph.width() : glyph.height();
    const int textSize = across ? text.width() : text.height();
    if (glyph.isEmpty() || text.isEmpty())
        spacing = 0;

    if (margin == -1 && spacing == -1) {
        margin = (room - glyphSize - textSize) / 3;
        spacing = margin;
    } else if (margin == -1) {
        margin = (room - glyphSize - spacing - textSize) / 2;
    } else if (spacing == -1) {
        spacing = (room - margin - glyphSize - textSize) / 2;
    }
    margin = std::max(margin, 0);
    spacing = std::max(spacing, 0);

    // Along the layout's axis, from the client's origin.
    int glyphAt = 0;
    int textAt = 0;
    switch (layout) {
    case blGlyphLeft:
    case blGlyphTop:
        glyphAt = margin;
        textAt = glyphAt + glyphSize + spacing;
        break;
    case blGlyphRight:
    case blGlyphBottom:
        glyphAt = room - margin - glyphSize;
        textAt = glyphAt - spacing - textSize;
        break;
    }

    TButtonPlacement placement;
    if (across) {
        placement.GlyphPos = QPoint(glyphAt, (client.height() - glyph.height()) / 2);
        placement.TextBounds = QRect(QPoint(textAt, (client.height() - text.height()) / 2), text);
    } else {
        placement.GlyphPos = QPoint((client.width() - glyph.width()) / 2, glyphAt);
        placement.TextBounds = QRect(QPoint((client.width() - text.width()) / 2, textAt), text);
    }
    placement.GlyphPos += client.topLeft();
    placement.TextBounds.translate(client.topLeft());
    return placement;
}
