// Page ranges of print jobs: the range text as the print command reads it,
// kept as intervals, with the odd/even choice.

#include "report/RpPageRange.h"

#include "report/Exceptions.h"

#include <gtest/gtest.h>

using namespace report;

TEST(PageRange, TextsAndThePagesTheyAdmit)
{
    struct Case {
        const char* text;
        std::vector<int> admitted;  // of a 10-page document
    };
    for (const Case& c : {
             Case{"", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
             Case{"   ", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
             Case{"2", {2}},
             Case{"1,3-5", {1, 3, 4, 5}},
             Case{"1, 3", {1, 3}},
             Case{"7-", {7, 8, 9, 10}},
             Case{"2-", {2, 3, 4, 5, 6, 7, 8, 9, 10}},
             Case{"5-3", {}},
             Case{"4-2", {}},
             Case{"1-2-3", {2, 3}},
             Case{"9,1", {1, 9}},
             Case{"3-4,4-5", {3, 4, 5}},
             Case{"12", {}},
         }) {
        const TrpPageRange range = TrpPageRange::Parse(c.text);
        std::vector<int> admitted;
        for (int page = 1; page <= 10; ++page)
            if (range.Admits(page))
                admitted.push_back(page);
        EXPECT_EQ(admitted, c.admitted) << '"' << c.text << '"';
        EXPECT_EQ(range.CountAdmitted(10), static_cast<std::int64_t>(c.admitted.size())) << '"' << c.text << '"';
    }
}

TEST(PageRange, TextsTheScanRefuses)
{
    for (const char* text : {"-5", "1,,2", "a", "1-b", ",", "-", "3x", "99999999999", "1;2", "+4"})
        EXPECT_THROW(TrpPageRange::Parse(text), EConvertError) << '"' << text << '"';
}

TEST(PageRange, HugeRangesStayIntervals)
{
    const TrpPageRange range = TrpPageRange::Parse("1-999999999");
    ASSERT_EQ(range.Intervals().size(), 1u);
    EXPECT_EQ(range.Intervals()[0].Last, 999999999);
    EXPECT_TRUE(range.Admits(999999999));
    EXPECT_FALSE(range.Admits(1000000000));
    EXPECT_EQ(range.CountAdmitted(2000000000), 999999999);
    EXPECT_EQ(range.CountAdmitted(2000000000, TrpPrintMode::EvenPages), 499999999);
}

TEST(PageRange, OddAndEvenPagesCountInTheWholeDocument)
{
    const TrpPageRange range = TrpPageRange::Parse("1-3");
    EXPECT_FALSE(range.Admits(1, TrpPrintMode::EvenPages));
    EXPECT_TRUE(range.Admits(2, TrpPrintMode::EvenPages));
    EXPECT_EQ(range.CountAdmitted(10, TrpPrintMode::EvenPages), 1);
    EXPECT_EQ(range.CountAdmitted(10, TrpPrintMode::OddPages), 2);

    struct Case {
        const char* text;
        std::int64_t pages, all, odd, even;
    };
    for (const Case& c : {Case{"", 7, 7, 4, 3}, Case{"2-5", 7, 4, 2, 2}, Case{"3-", 7, 5, 3, 2},
                          Case{"1,1,1", 7, 1, 1, 0}, Case{"4-9,6-12", 10, 7, 3, 4}, Case{"", 0, 0, 0, 0}}) {
        const TrpPageRange range = TrpPageRange::Parse(c.text);
        EXPECT_EQ(range.CountAdmitted(c.pages), c.all) << c.text;
        EXPECT_EQ(range.CountAdmitted(c.pages, TrpPrintMode::OddPages), c.odd) << c.text;
        EXPECT_EQ(range.CountAdmitted(c.pages, TrpPrintMode::EvenPages), c.even) << c.text;
    }
}
