#pragma once
// The arithmetic of the preview: zoom by mode, the pages laid out in rows
// on the canvas, the scroll ranges, the page at a scroll position or a
// point, where a page's content is drawn inside its rectangle, and where
// the view scrolls to show a found text.  All in canvas pixels; a page's
// size at 100 % is its sheet in report pixels.
//
// Rounding is to the nearest whole number with halves to even; integer
// halving truncates toward zero.

#include "RpEMFPages.h"

#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>

namespace report {

// How the zoom is chosen.
enum TrpZoomMode : std::uint8_t {
    zmFixed = 0,      // the zoom itself
    zmPageWidth = 1,  // the current page's width fills the canvas
    zmWholePage = 2,  // the current page's height fills the canvas, one page a row
    zmTwoPages = 3,   // two pages side by side fill the canvas, two a row
};

// The margin around and between pages.
constexpr int kPageGap = 10;

// What a layout decided.
struct TrpPreviewArrangement {
    double Zoom = 1.0;
    int PagesPerRow = 1;
    int Right = 0, Bottom = 0;     // the largest right and bottom edges
    int HorzMax = 0, VertMax = 0;  // the scroll bars' ranges
};

// Where the view scrolls to show a found text, and the text's place on
// the canvas once it has scrolled.
struct TrpFoundView {
    int VertPosition = 0;
    int HorzPosition = 0;
};

class TrpPreviewLayout {
public:
    // A page's size at 100 %.
    static QSize PageSize(const TrpEMFPage& page);

    // The zoom of a mode for a canvas and the current page's size at 100 %;
    // zmFixed keeps the zoom given.
    static double ModeZoom(TrpZoomMode mode, double zoom, QSize canvas, QSize page);
    // The zoom in whole percent, and as the zoom button shows it ("75%").
    static int ZoomPercent(double zoom);
    static QString ZoomCaption(double zoom);

    // How many pages go side by side.
    static int PagesPerRow(const TrpEMFPages& pages, double zoom, int canvasWidth, TrpZoomMode mode);

    // Zoom by mode (the current page is 1-based), then every page's layout
    // rectangle, the extent and the scroll ranges.
    static TrpPreviewArrangement Arrange(TrpEMFPages& pages, int currentPage, QSize canvas, double zoom,
                                         TrpZoomMode mode);
    // A scroll bar's range for an extent seen through a view: 0 when it
    // fits, else the overhang and a margin.
    static int ScrollMax(int extent, int view);

    // The 1-based number of the first page whose layout top < 11 +
    // position < its bottom; 0 when none.  Pages sit in rows top to bottom.
    static int PageAtPosition(const TrpEMFPages& pages, int position);
    // The vertical position that shows a page (1-based) at the top.
    static int PagePosition(const TrpEMFPages& pages, int page);
    // The 1-based number of the page whose layout rectangle holds a point
    // of the layout; 0 when none.
    static int PageAtPoint(const TrpEMFPages& pages, QPoint point);
    // A point of the layout in the page's pixels at 100 %.
    static QPoint PagePoint(const TrpEMFPage& page, QPoint point, double zoom);

    // Where the page's objects are drawn inside its rectangle: the whole
    // rectangle, or, for a page on the printer's own margins, its
    // printable area less the page margins.
    static QRect ContentRect(const TrpEMFPage& page, const QRect& pageRect, double zoom);

    // The scroll positions that show a text found on a page (found: page
    // pixels at 100 %) for a canvas: the page's top row when the text fits
    // below it, else the text's bottom at the canvas's bottom edge; the
    // same across.
    static TrpFoundView FoundView(const TrpEMFPage& page, const QRect& found, double zoom, QSize canvas);
};

} // namespace report
