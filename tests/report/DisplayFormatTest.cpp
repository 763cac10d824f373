#include "report/DateTimeFormat.h"
#include "report/DisplayFormat.h"
#include "report/EditMask.h"
#include "report/Exceptions.h"
#include "report/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>

namespace report {
namespace {

std::int32_t Code(int category, int sub, int decimals = 0, char separator = 0)
{
    return TrpDisplayFormat{category, sub, decimals, separator}.Encode();
}

double Moment(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    double date = 0, time = 0;
    EXPECT_TRUE(TryEncodeDate(year, month, day, date));
    EXPECT_TRUE(TryEncodeTime(hour, minute, second, 0, time));
    return CombineDateTime(date, time);
}

struct FormatCase {
    Variant value;
    std::int32_t code;
    std::string custom;
    std::string expected;
};

void ExpectFormats(const std::vector<FormatCase>& cases, const FormatSettings& settings)
{
    const TrpFormatTexts texts;
    for (const auto& c : cases)
        EXPECT_EQ(FormatDisplayValue(c.value, c.code, c.custom, settings, texts), c.expected)
            << c.value << " code " << std::hex << c.code << " custom " << c.custom;
}

TEST(DisplayFormat, NumbersWithEitherSeparator)
{
    // The code carries the decimal separator; thousands take the settings'
    // separator, or a blank when it is the same character.
    const FormatSettings settings;  // thousands ","
    const Variant v(1234.5);
    ExpectFormats(
        {
            {v, Code(1, 0, 2, ','), "", "1234,5"},
            {v, Code(1, 0, 2, '.'), "", "1234.5"},
            {v, Code(1, 0, 0, ','), "", "1234"},  // halves to even
            {v, Code(1, 1, 2, ','), "", "1234,50"},
            {v, Code(1, 1, 2, '.'), "", "1234.50"},
            {v, Code(1, 1, 0, '.'), "", "1234"},
            {v, Code(1, 2, 2, ','), "", "1 234,5"},
            {v, Code(1, 2, 2, '.'), "", "1,234.5"},
            {v, Code(1, 3, 2, ','), "", "1 234,50"},
            {v, Code(1, 3, 2, '.'), "", "1,234.50"},
            {v, Code(1, 4, 0, ','), "#,##0.000", "1 234,500"},
            {v, Code(1, 4, 0, '.'), "#,##0.000", "1,234.500"},
            {Variant(-1234.567), Code(1, 1, 2, ','), "", "-1234,57"},
            {Variant(2.675), Code(1, 1, 2, '.'), "", "2.68"},  // 15 digits first, then halves to even
            {Variant(-0.001), Code(1, 1, 2, '.'), "", "0.00"},
            {Variant(std::int32_t{42}), Code(1, 1, 1, ','), "", "42,0"},
            {Variant(true), Code(1, 1, 0, '.'), "", "-1"},
            // A text is read with the code's separator; one that is no
            // number shows as it is.
            {Variant("1234,5"), Code(1, 1, 1, ','), "", "1234,5"},
            {Variant("abc"), Code(1, 1, 2, ','), "", "abc"},
            // A code without a separator takes the settings'.
            {v, Code(1, 1, 1, 0), "", "1234.5"},
        },
        settings);

    FormatSettings german;
    german.decimalSeparator = ',';
    german.thousandSeparator = '.';
    ExpectFormats({{v, Code(1, 3, 2, ','), "", "1.234,50"}, {v, Code(0, 0), "", "1234,5"}}, german);
}

TEST(DisplayFormat, DatesTimesAndBooleans)
{
    const double moment = Moment(1998, 11, 15, 2, 43, 35);
    const Variant when = Variant::dateTime(moment);
    const Variant afternoon = Variant::dateTime(Moment(1998, 11, 15, 14, 5, 0));
    const std::vector<FormatCase> cases = {
        {when, Code(2, 0), "", "11.15.98"},
        {when, Code(2, 1), "", "11.15.1998"},
        {when, Code(2, 2), "", "15 Nov 1998"},
        {when, Code(2, 3), "", "Sunday, November 15, 1998"},
        {when, Code(3, 0), "", "02:43:35"},
        {when, Code(3, 1), "", "2:43:35"},
        {when, Code(3, 2), "", "02:43"},
        {when, Code(3, 3), "", "2:43"},
        {afternoon, Code(3, 4), "hh:nn am/pm", "02:05 pm"},
        {Variant(true), Code(4, 0), "", "1"},
        {Variant(false), Code(4, 1), "", "No"},
        {Variant(std::int32_t{5}), Code(4, 2), "", "x"},
        {Variant(0.4), Code(4, 3), "", "False"},  // its integer is 0
        {Variant(true), Code(4, 4), "off;on", "on"},
        {Variant(true), Code(4, 4), "Yes", "Yes"},  // no ";": the whole text for true ...
        {Variant(false), Code(4, 4), "Yes", ""},    // ... and nothing for false
        {Variant("text"), Code(2, 0), "", "text"},  // not a date: as it is
    };
    ExpectFormats(cases, FormatSettings());

    // The separators of the masks' "/" and ":" come from the settings.
    FormatSettings dotted;
    dotted.dateSeparator = '.';
    dotted.timeSeparator = '.';
    ExpectFormats({{when, Code(2, 4), "dd/mm/yyyy", "15.11.1998"}, {when, Code(3, 4), "hh:nn", "02.43"}}, dotted);
    ExpectFormats({{when, Code(2, 4), "dd/mm/yyyy", "15/11/1998"}, {when, Code(3, 4), "hh:nn", "02:43"}},
                  FormatSettings());
}

TEST(DisplayFormat, EmptyValuesShowNothing)
{
    ExpectFormats({{Variant(), Code(1, 1, 2, '.'), "", ""},
                   {Variant::null(), Code(0, 0), "", ""},
                   {Variant("   "), Code(0, 0), "", ""},
                   {Variant(1.5), Code(0, 0), "", "1.5"}},
                  FormatSettings());
}

TEST(DisplayFormat, InlineFormats)
{
    struct Case {
        std::string text;
        std::string expression;
        TrpDisplayFormat format;
        std::string custom;
    };
    const Case cases[] = {
        {"SUM(X) #N1,2", "SUM(X)", {1, 1, 2, ','}, "old"},
        {"X #N0.2", "X", {1, 1, 2, '.'}, "old"},
        {"X #12.3", "X", {1, 1, 3, '.'}, "old"},  // a leading digit reads as N
        {"X #N#,##0.00", "X", {1, 4, 0, '.'}, "#,##0.00"},
        {"X #n#.##0,00", "X", {1, 4, 0, ','}, "#.##0.00"},
        {"D #Ddd.mm.yyyy", "D", {2, 4, 0, 0}, "dd.mm.yyyy"},
        {"T #thh:nn", "T", {2, 4, 0, 0}, "hh:nn"},
        {"F #BNo;Yes", "F", {4, 4, 0, 0}, "No;Yes"},
    };
    for (const auto& c : cases) {
        std::string expression;
        std::int32_t code = 0x7777;
        std::string custom = "old";
        EXPECT_TRUE(ParseInlineFormat(c.text, expression, code, custom)) << c.text;
        EXPECT_EQ(expression, c.expression);
        EXPECT_EQ(code, c.format.Encode()) << c.text;
        EXPECT_EQ(custom, c.custom) << c.text;
    }

    // No format, or one whose first character names no category: the
    // object's format stays.
    for (const std::string text : {"A + B", "A #", "A #Q1"}) {
        std::string expression;
        std::int32_t code = 0x7777;
        std::string custom = "old";
        EXPECT_FALSE(ParseInlineFormat(text, expression, code, custom)) << text;
        EXPECT_EQ(code, 0x7777);
        EXPECT_EQ(custom, "old");
        EXPECT_EQ(expression, text.substr(0, text.find(" #")));
    }
}

TEST(NumberMask, Sections)
{
    struct Case {
        const char* mask;
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {"0.00", 1.005, "1.00"},
        {"#,##0.00", 1234567.891, "1,234,567.89"},
        {"#,##0", -1234567, "-1,234,567"},
        {"#.##", 0.5, ".5"},
        {"0.###", 2, "2"},
        {"0.0##", 2.5, "2.5"},
        {"000", 7, "007"},
        {"0", 123456, "123456"},
        {"00-00", 1234, "12-34"},
        {"0.0", 9.96, "10.0"},
        {"#", 0, ""},
        {"'#'0", 5, "#5"},
        {"0 \"kg\"", 3, "3 kg"},
        {"0.00;(0.00);zero", -1.5, "(1.50)"},
        {"0.00;(0.00);zero", 0, "zero"},
        {"0.00;(0.00);zero", 0.001, "zero"},  // rounds to zero: the zero section
        {"0.00", -0.001, "0.00"},             // no minus sign for a zero
        {"0.00;;zero", -2, "-2.00"},          // an empty negative section: the first with "-"
        {"0.00E+00", 1234, "1.23E+03"},
        {"0.0E-0", 0.00012, "1.2E-4"},
        {"00.0E+0", 1234, "12.3E+2"},
        {"", 1.5, "1.5"},
        {"0.00", 1e20, "1E+20"},  // too many digits for a mask: the plain form
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFloat(c.mask, c.value, '.', ','), c.expected) << c.mask << " " << c.value;
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, ',', '.'), "1.234,50");
    EXPECT_EQ(FormatFloat("0.00", std::nan(""), '.', ','), "NAN");
}

TEST(NumberFormat, HalvesRoundToTheEvenNeighbour)
{
    // As everywhere in the engine: a value that lies exactly half way (at
    // 15 significant digits) goes to the even neighbour; anything above
    // the half goes up, in masks and in fixed notation alike.
    struct Case {
        double value;
        int decimals;
        std::string expected;
    };
    const Case cases[] = {
        {0.5, 0, "0"},     {1.5, 0, "2"},      {2.5, 0, "2"},       {-2.5, 0, "-2"},   {3.5, 0, "4"},
        {0.125, 2, "0.12"}, {0.375, 2, "0.38"}, {2.665, 2, "2.66"}, {2.675, 2, "2.68"}, {0.1251, 2, "0.13"},
        {9.5, 0, "10"},    {99.995, 2, "100.00"}, {0.05, 0, "0"},   {-0.5, 0, "0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatFixed(c.value, c.decimals, '.'), c.expected) << c.value;
        const std::string mask = c.decimals == 0 ? "0" : "0." + std::string(static_cast<std::size_t>(c.decimals), '0');
        EXPECT_EQ(FormatFloat(mask, c.value, '.', ','), c.expected) << mask << " " << c.value;
    }
}

TEST(NumberMask, FixedNotationKeepsFifteenDigits)
{
    EXPECT_EQ(FormatFixed(1.0 / 3.0, 18, '.'), "0.333333333333333000");
    EXPECT_EQ(FormatFixed(1234567.5, 0, ',', ' '), "1 234 568");
    EXPECT_EQ(FormatFixed(0.5, 0, '.'), "0");
    EXPECT_EQ(FormatFixed(1e16, 2, '.'), "1E+16");
}

TEST(DateTimeMask, Letters)
{
    const FormatSettings settings;
    const double moment = Moment(1998, 11, 15, 2, 43, 35) + 0.123 / 86400;
    struct Case {
        const char* mask;
        const char* expected;
    };
    const Case cases[] = {
        {"dd.mm.yyyy hh:nn:ss", "15.11.1998 02:43:35"},
        {"d mmmm yy", "15 November 98"},
        {"ddd dddd", "Sun Sunday"},
        {"h:mm", "2:43"},  // minutes right after an hour
        {"H:MM:SS", "2:43:35"},
        {"hh:nn:ss.zzz", "02:43:35.123"},
        {"'Day' d", "Day 15"},
        {"\"mm\" m", "mm 11"},
        {"ddddd", "11/15/1998"},
        {"dddddd", "Sunday, November 15, 1998"},
        {"c", "11/15/1998 2:43:35"},
        {"t tt", "2:43 2:43:35"},
        {"h a/p", "2 a"},
        {"h AMPM", "2 AM"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(c.mask, moment, settings), c.expected) << c.mask;
    EXPECT_EQ(FormatDateTime("c", Moment(1998, 11, 15), settings), "11/15/1998");
    EXPECT_EQ(FormatDateTime("hh AM/PM", Moment(2000, 1, 1, 0, 0, 0), settings), "12 AM");
    EXPECT_THROW(FormatDateTime("d", 1e9, settings), EVariantError);
}

TEST(EditMask, PlacesLiteralsAndCase)
{
    const FormatSettings settings;
    struct Case {
        const char* mask;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"(000) 000-0000;0; ", "5551234567", "(555) 123-4567"},
        {">LL-00;0; ", "ab12", "AB-12"},
        {"<LL>ll<>ll;0; ", "ABcdEf", "abCDEf"},
        {"000-000;0; ", "12", "12 -   "},
        {"000-000;0;_", "12", "12_-___"},
        {"!000;0; ", "7", "  7"},
        {"\\(00\\);0; ", "42", "(42)"},
        {"00/00;0; ", "1231", "12/31"},
        {"000-000;1; ", "123-456", "123-456"},  // literals kept in the text are passed over
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatMaskText(c.mask, c.text, settings), c.expected) << c.mask;
}

} // namespace
} // namespace report
