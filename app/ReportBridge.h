#pragma once
// The bridge between a log window's events and what is made of them: the
// printed report and the HTML and text exports.  Both read the events
// through the same two things: the values that a report template names,
// for the event at a cursor, and a data set's three events that move that
// cursor.

#include "EventColumns.h"

#include "report/Variant.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class TEventItem;

// A column of reports and exports: its header and the name of its value.
struct TReportColumn {
    const char* header;
    const char* valueName;
};
inline constexpr std::array<TReportColumn, 9> kReportColumns{{
    {"Type", "Type"},
    {"Date", "Date"},
    {"Time", "Time"},
    {"Event", "Event"},
    {"Source", "Source"},
    {"Category", "Category"},
    {"Domain\\User", "User"},
    {"Computer", "Computer"},
    {"Description", "Description"},
}};
// The columns the exports write, in order; negative entries are skipped,
// so the description is never exported.
inline constexpr std::array<int, 9> kExportColumnMap{0, 1, 2, 3, 4, 5, 6, 7, -1};
inline constexpr int kCategoryColumn = 5;

// The values of events by the names of the report template.  Dates and
// times are those of the record, in UTC, in the short date and long time
// formats; the texts of a day or a time of day are made once.
class TEventReportValues {
public:
    TEventReportValues() = default;
    explicit TEventReportValues(const TEventColumnFormatter& formatter);

    // The value of `name` for an event: "Type" (its text, empty for a code
    // without one), "Date", "Time", "Event" (the identifier's low 16 bits,
    // an integer), "Source", "Category", "Computer", "User".  False, and the
    // value unchanged, for any other name.
    bool Value(TEventItem& e, const std::string& name, report::Variant& value);

    // Forgets the texts of days and times made so far.
    void Clear();

private:
    const std::string& TimeText(TDateTime utc, TLogColumn column);
    const std::string& TypeText(int eventType);

    TEventColumnFormatter formatter_;
    std::unordered_map<std::int64_t, std::string> dates_;
    std::unordered_map<std::int64_t, std::string> times_;
    struct Last {
        std::int64_t key = 0;
        const std::string* text = nullptr; // a text of the map, which never moves
    };
    Last lastDate_;
    std::vector<std::optional<std::string>> secondTexts_; // by the second of the day
    std::array<std::optional<std::string>, 256> types_;
};

// What the exports read: the data set's events and the value provider.
class TReportRows {
public:
    virtual void First() = 0;
    virtual void Next() = 0;
    // True when the cursor is past the last row.
    virtual bool CheckEOF() = 0;
    // The value of a name for the row at the cursor; unchanged for a name
    // nothing answers.
    virtual void GetValue(const std::string& name, report::Variant& value) = 0;

protected:
    ~TReportRows() = default;
};
