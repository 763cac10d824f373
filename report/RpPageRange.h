#pragma once
// The pages a print job takes: a range text such as "1,3,5-12" kept as
// intervals (so "1-999999999" costs two numbers), and the odd/even choice.
//
// The text is read the way the print command always read it: blanks are
// dropped; a text ending in "-" runs to the last page; at each "-" the
// digits before it start a range, at each "," (one is added at the end) the
// digits before it end the range or stand alone.  So "5-3" admits nothing,
// "1-2-3" admits 2 and 3.  Anything but digits between separators, or a
// number beyond 32 bits, is refused.

#include <cstdint>
#include <string_view>
#include <vector>

namespace report {

// Odd/even choice of the print dialog.
enum class TrpPrintMode : std::uint8_t { AllPages = 0, OddPages = 1, EvenPages = 2 };

class TrpPageRange {
public:
    struct Interval {
        std::int64_t First, Last;  // 1-based, inclusive; Last may be open (kToEnd)
    };
    static constexpr std::int64_t kToEnd = INT64_MAX;

    // All pages.
    TrpPageRange() = default;
    // Raises EConvertError, naming the part that is not a number.
    static TrpPageRange Parse(std::string_view text);

    bool AllPages() const { return all_; }
    const std::vector<Interval>& Intervals() const { return intervals_; }

    // Page numbers count in the whole document, whatever the range.
    bool Admits(std::int64_t page, TrpPrintMode mode = TrpPrintMode::AllPages) const;
    // How many of the pages 1..pageCount print.
    std::int64_t CountAdmitted(std::int64_t pageCount, TrpPrintMode mode = TrpPrintMode::AllPages) const;

private:
    bool all_ = true;
    std::vector<Interval> intervals_;  // in the text's order; may overlap
};

} // namespace report
