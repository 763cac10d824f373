#pragma once
// The line layout of text objects: wrapping at spaces, cutting words longer
// than the line, hyphenation, and the line-end marker.

#include "RP_Utils.h"
#include "RpMeasure.h"

#include <string>
#include <string_view>
#include <vector>

namespace report {

// Appended by the layout to the last line of each paragraph: such lines are
// not justified, and a prepared text that holds it is already laid out.
constexpr char kLineEndMarker = '\001';

struct TrpLayoutParams {
    int AvailableWidth = 0;
    bool WordWrap = true;
    bool WordBreak = false;  // hyphenate
    bool LaidOut = false;    // the lines already carry their markers
    bool InRun = false;
    std::uint16_t Charset = kDefaultCharset;
};

// Lays out expanded lines into the lines that are drawn.
TrpLines LayoutLines(const TrpLines& expanded, const TrpLayoutParams& params, const TrpTextMeasurer& measurer);

// Wraps one expanded line.  Lines ended by wrapping carry no marker, the
// last line of a paragraph does; a character wider than the whole line
// stands on a line of its own.
TrpLines WrapLine(std::string_view line, int availableWidth, bool wordBreak, const TrpTextMeasurer& measurer,
                  std::uint16_t charset);

// The hyphenation points of an upper-cased word, as counts of characters
// before the break, in ascending order; none for words of 3 characters or
// fewer.
std::vector<std::size_t> HyphenationPoints(std::u32string_view word);

} // namespace report
