#pragma once
// The one test of an event against the criteria of a filter or a Find.
// The criteria are prepared once (folded texts, times in milliseconds), so
// testing a million events costs little more than walking them; the
// description, the one costly criterion, is asked for last and only when
// every other criterion has passed.

#include "EventFilter.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>

class TEventItem;

// Comparison of texts without regard to case: texts are UTF-8; ASCII texts
// are folded byte by byte, others through Qt's full case mapping.
class TFoldedText {
public:
    TFoldedText() = default;
    explicit TFoldedText(const QString& text);

    bool Empty() const { return utf8_.empty(); }
    // The whole text equals this one, ignoring case.
    bool SameAs(const std::string& text) const;
    // This text occurs somewhere in `text`, ignoring case.
    bool OccursIn(const std::string& text) const;

private:
    std::string utf8_;  // upper-cased when ASCII
    QString upper_;
    bool ascii_ = true;
};

// The offset of local time from UTC that the event list shows, in
// milliseconds: the platform's current offset (0 when it cannot be read).
std::int64_t LocalTimeOffsetMilliseconds();

// The local generation time of an event in whole milliseconds since
// 1899-12-30, for a given offset.
std::int64_t LocalMillisecondsOf(const TEventItem& e, std::int64_t offset);

class TEventMatcher {
public:
    // The description of an event as the reader gives it.
    using TDescriptionReader = std::function<std::string(TEventItem&)>;

    // `describe` is called only when the description criterion is in force.
    TEventMatcher(const CriteriaFlags& flags, const TEventFilter& filter, const TEventIdSet& ids,
                  TDescriptionReader describe, std::int64_t localOffset = LocalTimeOffsetMilliseconds());

    // The criteria in this order, the first that fails ending the test:
    // types, IDs, source, category, user, computer, date and time, and last
    // the description.
    bool Matches(TEventItem& e) const;

private:
    CriteriaFlags flags_;
    TEventFilter filter_;
    const TEventIdSet& ids_;
    TDescriptionReader describe_;
    std::int64_t offset_;
    TFoldedText source_;
    TFoldedText category_;
    TFoldedText user_;
    TFoldedText computer_;
    TFoldedText description_;
    std::int64_t from_ = 0;
    std::int64_t to_ = 0;
};
