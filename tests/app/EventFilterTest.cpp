#include "app/EventFilter.h"
#include "app/EventMatcher.h"
#include "app/common.h"

#include "ntlib/EventItem.h"

#include <QDate>
#include <QTime>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

std::set<int> setIds(const TEventIdSet& ids)
{
    std::set<int> out;
    for (int id = 0; id <= 0xFFFF; ++id)
        if (ids.Contains(static_cast<std::uint16_t>(id)))
            out.insert(id);
    return out;
}

std::set<int> range(int lo, int hi)
{
    std::set<int> out;
    for (int i = lo; i <= hi; ++i)
        out.insert(i);
    return out;
}

TEST(ParseEventIdList, Cases)
{
    struct Case {
        const char* text;
        int count;
        std::set<int> ids;
    } cases[] = {
        {"", 0, {}},
        {" , ,", 0, {}},
        {"5", 1, {5}},
        {"5, 7-9", 4, {5, 7, 8, 9}},
        {" 5 ,7 - 9 ", 4, {5, 7, 8, 9}},
        {"9-5", 0, {5, 9}},           // both ends set, nothing counted
        {"9-5, 7", 1, {5, 7, 9}},
        {"100-", 65436, range(100, 65535)},
        {"7-", 65529, range(7, 65535)},
        {"70000", 1, {70000 & 0xFFFF}}, // modulo 65536
        {"$10", 1, {16}},
        {"$FFFF", 1, {65535}},
        {"+3", 1, {3}},
        {"-3", 0, {}},                 // negative: ignored
        {"x", 0, {}},
        {"12abc, 4", 1, {4}},
        {"4294967296", 0, {}},         // beyond 32 bits
        // A range without a valid lower end is ignored, and writes nothing.
        {"-5", 0, {}},
        {"x-5", 0, {}},
        {"--5", 0, {}},
        {" -5, 2", 1, {2}},
        // A malformed upper end: the lower end stays set, nothing counted.
        {"5-x", 0, {5}},
        {"0-0", 1, {0}},
        {"63-64", 2, {63, 64}},
        {"0-", 65536, range(0, 65535)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TEventIdSet ids;
        EXPECT_EQ(ParseEventIdList(QString::fromLatin1(c.text), ids), c.count);
        EXPECT_EQ(setIds(ids), c.ids);
    }
}

TEST(ParseEventIdList, ManyFullRangesStayQuickAndCountWithoutOverflow)
{
    QString text;
    for (int i = 0; i < 40'000; ++i)
        text += QStringLiteral("0-,");
    TEventIdSet ids;
    EXPECT_EQ(ParseEventIdList(text, ids), INT32_MAX);
    EXPECT_TRUE(ids.Contains(0));
    EXPECT_TRUE(ids.Contains(65535));
}

TEST(ParseEventId, EmptyTextLeavesTheIdAlone)
{
    TEventIdSet ids;
    int id = 42;
    EXPECT_EQ(ParseEventId(QStringLiteral("  "), ids, id), 0);
    EXPECT_EQ(id, 42);
    EXPECT_EQ(ParseEventId(QStringLiteral("zz"), ids, id), 0);
    EXPECT_EQ(id, -1);
    EXPECT_EQ(ParseEventId(QStringLiteral(" 65537 "), ids, id), 1);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(setIds(ids), std::set<int>{1});
}

TDateTime at(int h, int m, int s = 0, double day = 40'000)
{
    return day + EncodeTime(QTime(h, m, s));
}

TEST(TimeInWindow, Cases)
{
    struct Case {
        const char* what;
        TDateTime t, from, to;
        bool in;
    } cases[] = {
        {"inside", at(12, 0), at(6, 0), at(18, 0), true},
        {"before", at(5, 59, 59), at(6, 0), at(18, 0), false},
        {"after", at(18, 0, 1), at(6, 0), at(18, 0), false},
        {"at the start", at(6, 0), at(6, 0), at(18, 0), true},
        {"at the end", at(18, 0), at(6, 0), at(18, 0), true},
        {"the date does not count", at(12, 0, 0, 1), at(6, 0, 0, 50'000), at(18, 0, 0, 7), true},
        {"past midnight, late", at(23, 30), at(22, 0), at(6, 0), true},
        {"past midnight, early", at(5, 0), at(22, 0), at(6, 0), true},
        {"past midnight, midday", at(12, 0), at(22, 0), at(6, 0), false},
        {"past midnight, the end", at(6, 0), at(22, 0), at(6, 0), true},
        {"past midnight, the start", at(22, 0), at(22, 0), at(6, 0), true},
        {"one instant", at(13, 37, 12), at(13, 37, 12), at(13, 37, 12), true},
        {"whole day", at(0, 0), at(0, 0), at(23, 59, 59), true},
        {"last second", at(23, 59, 59), at(0, 0), at(23, 59, 59), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TimeInWindow(c.t, c.from, c.to), c.in);
    }
}

TEST(TimeInWindow, LimitsComputedApartStillMeet)
{
    // An event's time comes from seconds since 1970, a limit from a date
    // and a time picker: the two doubles differ in their last bits, yet
    // the same second is inside the window.
    const std::uint32_t seconds = 1'000'000'000 + 13 * 3600 + 37 * 60 + 11;
    const TDateTime event = UnixTimeToDateTime(seconds);
    QDate date;
    QTime time;
    DecodeDateTime(event, date, time);
    const TDateTime limit = EncodeDate(date) + EncodeTime(time);
    EXPECT_TRUE(TimeInWindow(event, limit, limit));
    EXPECT_TRUE(TimeInWindow(event, limit - 1.0 / 86400, limit));
}

// Events made in memory, without a reader.
struct Events {
    std::vector<std::unique_ptr<TEventItem>> items;

    TEventItem& add(TEventType type, DWORD id, const char* source, const char* category, const char* computer,
                    TDateTime utc)
    {
        auto e = std::make_unique<TEventItem>(nullptr);
        e->EventType = type;
        e->EventID = id;
        e->Source = source;
        e->CategoryName = category;
        e->Computer = computer;
        e->TimeGenerated = utc;
        e->RecordNumber = static_cast<DWORD>(items.size() + 1);
        items.push_back(std::move(e));
        return *items.back();
    }
};

struct MatchCase {
    const char* what;
    TEventFilter filter;
    bool matches;
};

TEST(EventMatcher, EachCriterionAlone)
{
    Events events;
    const TDateTime noon = at(12, 0, 0, 40'000);
    TEventItem& e =
        events.add(etWarning, 0xC0010000u | 1234, "Service Control Manager", " Disk  ", "SRV-FILES", noon);

    auto with = [](auto set) {
        TEventFilter f;
        set(f);
        return f;
    };
    const MatchCase cases[] = {
        {"neutral", TEventFilter{}, true},
        {"type wanted", with([](TEventFilter& f) { f.Error = false; }), true},
        {"type not wanted", with([](TEventFilter& f) { f.Warning = false; }), false},
        {"id in the list (low 16 bits)", with([](TEventFilter& f) { f.EventIDs = "1-2000"; }), true},
        {"id not in the list", with([](TEventFilter& f) { f.EventIDs = "1233, 1235"; }), false},
        {"id list that selects nothing is not in force", with([](TEventFilter& f) { f.EventIDs = "9-5"; }), true},
        {"source in another case", with([](TEventFilter& f) { f.Source = "service control MANAGER"; }), true},
        {"source is whole", with([](TEventFilter& f) { f.Source = "Service"; }), false},
        {"a blank source is in force", with([](TEventFilter& f) { f.Source = " "; }), false},
        {"category trimmed, any case", with([](TEventFilter& f) { f.Category = "disk"; }), true},
        {"category differs", with([](TEventFilter& f) { f.Category = "Disk2"; }), false},
        {"user whole", with([](TEventFilter& f) { f.User = "n/a"; }), true},
        {"user substring", with([](TEventFilter& f) {
             f.User = "/A";
             f.UserSubstring = true;
         }),
         true},
        {"user not a substring when whole is asked", with([](TEventFilter& f) { f.User = "/A"; }), false},
        {"computer substring", with([](TEventFilter& f) {
             f.Computer = "files";
             f.ComputerSubstring = true;
         }),
         true},
        {"computer whole", with([](TEventFilter& f) { f.Computer = "srv-files"; }), true},
        {"computer not whole", with([](TEventFilter& f) { f.Computer = "files"; }), false},
        {"date only, same day", with([](TEventFilter& f) {
             f.Date = true;
             f.From = f.To = 40'000;
         }),
         true},
        {"date only, day before", with([](TEventFilter& f) {
             f.Date = true;
             f.From = f.To = 39'999;
         }),
         false},
        {"time only", with([](TEventFilter& f) {
             f.Time = true;
             f.From = EncodeTime(QTime(11, 0));
             f.To = EncodeTime(QTime(12, 0));
         }),
         true},
        {"time only, outside", with([](TEventFilter& f) {
             f.Time = true;
             f.From = EncodeTime(QTime(12, 0, 1));
             f.To = EncodeTime(QTime(13, 0));
         }),
         false},
        {"date and time together: one window across days", with([](TEventFilter& f) {
             f.Date = f.Time = true;
             f.From = 39'999 + EncodeTime(QTime(18, 0));
             f.To = 40'001 + EncodeTime(QTime(6, 0));
         }),
         true},
        {"date and time separately: noon is not in 18:00-06:00", with([](TEventFilter& f) {
             f.Date = f.Time = f.DTSeparately = true;
             f.From = 39'999 + EncodeTime(QTime(18, 0));
             f.To = 40'001 + EncodeTime(QTime(6, 0));
         }),
         false},
        {"separately ticked without both: date only", with([](TEventFilter& f) {
             f.Date = f.DTSeparately = true;
             f.From = 39'999 + EncodeTime(QTime(18, 0));
             f.To = 40'000 + EncodeTime(QTime(6, 0));
         }),
         true},
        {"description", with([](TEventFilter& f) { f.DescriptionText = "DISK IS full"; }), true},
        {"description missing", with([](TEventFilter& f) { f.DescriptionText = "empty"; }), false},
    };
    int described = 0;
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.what);
        TEventIdSet ids;
        const CriteriaFlags flags = CriteriaFlagsOf(c.filter, ids);
        const TEventMatcher matcher(
            flags, c.filter, ids,
            [&](TEventItem&) {
                ++described;
                return std::string("The disk is full.\r\n");
            },
            0);
        EXPECT_EQ(matcher.Matches(e), c.matches);
    }
    EXPECT_EQ(described, 2); // only where the description criterion is in force
}

TEST(EventMatcher, DescriptionIsAskedLastAndOnlyWhenTheRestPassed)
{
    Events events;
    TEventItem& e = events.add(etError, 7, "Disk", "", "PC1", 40'000.5);
    TEventFilter filter;
    filter.DescriptionText = "x";
    int described = 0;
    auto matcherFor = [&](const TEventFilter& f, TEventIdSet& ids) {
        return TEventMatcher(CriteriaFlagsOf(f, ids), f, ids, [&](TEventItem&) {
            ++described;
            return std::string("x");
        }, 0);
    };
    for (auto fail : std::vector<void (*)(TEventFilter&)>{
             [](TEventFilter& f) { f.Error = false; },
             [](TEventFilter& f) { f.EventIDs = "8"; },
             [](TEventFilter& f) { f.Source = "Other"; },
             [](TEventFilter& f) { f.Category = "Other"; },
             [](TEventFilter& f) { f.User = "Other"; },
             [](TEventFilter& f) { f.Computer = "Other"; },
             [](TEventFilter& f) {
                 f.Date = true;
                 f.From = f.To = 1;
             },
         }) {
        TEventFilter f = filter;
        fail(f);
        TEventIdSet ids;
        EXPECT_FALSE(matcherFor(f, ids).Matches(e));
    }
    EXPECT_EQ(described, 0);
    TEventIdSet ids;
    EXPECT_TRUE(matcherFor(filter, ids).Matches(e));
    EXPECT_EQ(described, 1);
}

TEST(EventMatcher, EventTimesAreLocal)
{
    Events events;
    // 23:30 UTC is 01:30 the next day at UTC+2.
    TEventItem& e = events.add(etError, 1, "S", "", "PC", 40'000 + EncodeTime(QTime(23, 30)));
    TEventFilter f;
    f.Date = f.Time = f.DTSeparately = true;
    f.From = 40'001 + EncodeTime(QTime(1, 0));
    f.To = 40'001 + EncodeTime(QTime(2, 0));
    TEventIdSet ids;
    const CriteriaFlags flags = CriteriaFlagsOf(f, ids);
    EXPECT_TRUE(TEventMatcher(flags, f, ids, {}, 2 * 3'600'000).Matches(e));
    EXPECT_FALSE(TEventMatcher(flags, f, ids, {}, 0).Matches(e));
}

TEST(EventMatcher, OtherTypeCodesPassTheTypeCriterion)
{
    Events events;
    TEventItem& e = events.add(etUnknown, 1, "S", "", "PC", 40'000);
    TEventFilter f;
    f.Information = f.Warning = f.Error = f.AuditSuccess = f.AuditFailure = false;
    TEventIdSet ids;
    EXPECT_TRUE(TEventMatcher(CriteriaFlagsOf(f, ids), f, ids, {}, 0).Matches(e));
}

TEST(FoldedText, NonAsciiTexts)
{
    const TFoldedText straße(QStringLiteral("Straße"));
    EXPECT_TRUE(straße.SameAs("STRASSE"));       // full case mapping
    EXPECT_TRUE(TFoldedText(QStringLiteral("ÄRGER")).SameAs("ärger"));
    EXPECT_TRUE(TFoldedText(QStringLiteral("i")).OccursIn("Bıg")); // dotless i upper-cases to I
    EXPECT_TRUE(TFoldedText(QStringLiteral("öl")).OccursIn("Heizöl-Tank"));
    EXPECT_FALSE(TFoldedText(QStringLiteral("öl")).OccursIn("Heizol"));
    EXPECT_TRUE(TFoldedText(QStringLiteral("abc")).OccursIn("xxABCxx"));
    EXPECT_FALSE(TFoldedText(QStringLiteral("abc")).OccursIn("ab"));
}

TEST(CriteriaFlags, InForceAsTheRecordSays)
{
    TEventIdSet ids;
    EXPECT_EQ(CriteriaFlagsOf(NeutralCriteria(), ids), CriteriaFlags{});
    TEventFilter f;
    f.AuditFailure = false;
    f.EventIDs = "1";
    f.Source = " ";
    f.Category = "c";
    f.User = "u";
    f.Computer = "p";
    f.DescriptionText = "d";
    EXPECT_EQ(CriteriaFlagsOf(f, ids), (CriteriaFlags{true, true, true, true, true, true, true}));
}

} // namespace
