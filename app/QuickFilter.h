#pragma once
// The quick filter: the events whose text in one column of the list is the
// text the selected row shows there, compared exactly.  The texts of dates
// and times are made once for each distinct day or time of day, so a
// million events cost little more than walking them.

#include "EventColumns.h"

#include <QString>

#include <cstdint>
#include <string>
#include <unordered_map>

class TEventItem;

// The record-number "column" of the quick filter (no column of the list).
inline constexpr int kQuickRecordNumberColumn = 8;

class TQuickFilter {
public:
    // `column` 0-7 a column of the list, 8 the record number; any other
    // keeps every event.  `value` is the text to equal, `type` the type
    // code for column 0.  `localOffset` is the local time's offset from
    // UTC in milliseconds.
    TQuickFilter(int column, const QString& value, int type, const TEventColumnFormatter& formatter,
                 std::int64_t localOffset);

    bool Matches(TEventItem& e);

private:
    bool SameText(const std::string& text) const;
    bool NumberIs(std::uint64_t number) const { return numberValid_ && number == number_; }

    int column_;
    QString value_;
    std::string valueUtf8_;
    int type_;
    const TEventColumnFormatter& formatter_;
    std::int64_t offset_;
    bool numberValid_ = false;
    std::uint64_t number_ = 0;
    std::unordered_map<std::int64_t, bool> timeTexts_; // day or time of day -> equal
};
