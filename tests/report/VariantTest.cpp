#include "report/Exceptions.h"
#include "report/ValueText.h"
#include "report/Variant.h"
#include "report/VariantRules.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>

using namespace report;

namespace {

// What a case expects to be raised, if anything.
enum class Raises { Nothing, ConvertError, VariantError };

Variant I(std::int32_t v)
{
    return Variant(v);
}

Variant R(double v)
{
    return Variant(v);
}

Variant D(double v)
{
    return Variant::dateTime(v);
}

Variant S(const char* v)
{
    return Variant(v);
}

const Variant E;
const Variant N = Variant::null();
const Variant T(true);
const Variant F(false);

FormatSettings Comma()
{
    FormatSettings s;
    s.decimalSeparator = ',';
    return s;
}

FormatSettings DayMonthYear()
{
    FormatSettings s;
    s.dateSeparator = '.';
    s.dateOrder = DateOrder::DMY;
    return s;
}

template <typename F>
void ExpectRaises(Raises raises, F&& f, const std::string& what)
{
    switch (raises) {
    case Raises::Nothing:
        EXPECT_NO_THROW(f()) << what;
        break;
    case Raises::ConvertError:
        EXPECT_THROW(f(), EConvertError) << what;
        break;
    case Raises::VariantError:
        EXPECT_THROW(f(), EVariantError) << what;
        break;
    }
}

} // namespace

TEST(VariantConversion, FollowsTheTable)
{
    struct Case {
        Variant from;
        VarType to;
        Variant expected;
        Raises raises = Raises::Nothing;
        FormatSettings settings = FormatSettings::standard();
    } cases[] = {
        {E, VarType::Integer, I(0)},
        {E, VarType::Real, R(0)},
        {E, VarType::Boolean, F},
        {E, VarType::Text, S("")},
        {N, VarType::Integer, {}, Raises::VariantError},
        {N, VarType::Real, {}, Raises::VariantError},
        {N, VarType::Text, {}, Raises::VariantError},
        {N, VarType::Boolean, {}, Raises::VariantError},
        {N, VarType::DateTime, {}, Raises::VariantError},
        {I(5), VarType::Text, S("5")},
        {I(-5), VarType::Real, R(-5)},
        {I(1), VarType::DateTime, D(1)},
        {I(0), VarType::Boolean, F},
        {I(7), VarType::Boolean, T},
        // Reals become integers with halves to even.
        {R(2.5), VarType::Integer, I(2)},
        {R(3.5), VarType::Integer, I(4)},
        {R(-2.5), VarType::Integer, I(-2)},
        {R(2.6), VarType::Integer, I(3)},
        {R(2147483647.4), VarType::Integer, I(INT_MAX)},
        {R(2147483648.0), VarType::Integer, {}, Raises::VariantError},
        {R(-1e300), VarType::Integer, {}, Raises::VariantError},
        {R(0.1 + 0.2), VarType::Text, S("0.3")},
        {R(1e20), VarType::Text, S("1E+20")},
        {R(-1.5e-7), VarType::Text, S("-1.5E-07")},
        {R(1234567.25), VarType::Text, S("1234567.25")},
        {R(1.5), VarType::Text, S("1,5"), Raises::Nothing, Comma()},
        {R(-0.0), VarType::Text, S("0")},
        // Booleans are -1 and 0.
        {T, VarType::Integer, I(-1)},
        {T, VarType::Real, R(-1)},
        {F, VarType::Integer, I(0)},
        {T, VarType::Text, S("-1")},
        {F, VarType::Text, S("0")},
        // Texts.
        {S(" 12.5 "), VarType::Real, R(12.5)},
        {S("-3e2"), VarType::Real, R(-300)},
        {S(".5"), VarType::Real, R(0.5)},
        {S("12,5"), VarType::Real, R(12.5), Raises::Nothing, Comma()},
        {S("12.5"), VarType::Real, {}, Raises::ConvertError, Comma()},
        {S("abc"), VarType::Real, {}, Raises::ConvertError},
        {S(""), VarType::Real, {}, Raises::ConvertError},
        {S("1e400"), VarType::Real, {}, Raises::ConvertError},
        {S("inf"), VarType::Real, {}, Raises::ConvertError},
        {S("1,000"), VarType::Real, {}, Raises::ConvertError},
        {S("2.5"), VarType::Integer, I(2)},
        {S("7"), VarType::Integer, I(7)},
        {S("9e9"), VarType::Integer, {}, Raises::VariantError},
        {S("True"), VarType::Boolean, T},
        {S("false"), VarType::Boolean, F},
        {S("0"), VarType::Boolean, F},
        {S("-2"), VarType::Boolean, T},
        {S("yes"), VarType::Boolean, {}, Raises::ConvertError},
        {S("12/31/1999"), VarType::DateTime, D(36525)},
        {S("12/31/1999 18:00"), VarType::DateTime, D(36525.75)},
        {S("31.12.1999"), VarType::DateTime, D(36525), Raises::Nothing, DayMonthYear()},
        {S("6:00"), VarType::DateTime, D(0.25)},
        {S("36525.5"), VarType::DateTime, D(36525.5)},
        {S("2/30/2000"), VarType::DateTime, {}, Raises::ConvertError},
        // Date-times are days since 1899-12-30.
        {D(36525.5), VarType::Real, R(36525.5)},
        {D(36525.5), VarType::Integer, I(36526)},
        {D(36525.5), VarType::Text, S("12/31/1999 12:00:00")},
        {D(36526), VarType::Text, S("1/1/2000")},
        {D(36526), VarType::Text, S("1.1.2000"), Raises::Nothing, DayMonthYear()},
        {D(0.25), VarType::Text, S("6:00:00")},
        {D(0), VarType::Text, S("0:00:00")},
        {D(-1.25), VarType::Text, S("12/29/1899 6:00:00")},
        {D(1e7), VarType::Text, {}, Raises::VariantError},
    };
    for (const Case& c : cases) {
        const std::string what = ::testing::PrintToString(c.from) + " to " + VarTypeName(c.to);
        ExpectRaises(c.raises, [&] { (void)c.from.changeType(c.to, c.settings); }, what);
        if (c.raises == Raises::Nothing)
            EXPECT_EQ(c.from.changeType(c.to, c.settings), c.expected) << what;
    }
}

TEST(VariantOperations, FollowTheTables)
{
    using Op = std::function<Variant(const Variant&, const Variant&)>;
    const Op add = [](const Variant& a, const Variant& b) { return VarAdd(a, b); };
    const Op sub = [](const Variant& a, const Variant& b) { return VarSub(a, b); };
    const Op mul = [](const Variant& a, const Variant& b) { return VarMul(a, b); };
    const Op div = [](const Variant& a, const Variant& b) { return VarDiv(a, b); };
    const Op mod = [](const Variant& a, const Variant& b) { return VarMod(a, b); };
    const Op band = [](const Variant& a, const Variant& b) { return VarAnd(a, b); };
    const Op bor = [](const Variant& a, const Variant& b) { return VarOr(a, b); };

    struct Case {
        const char* name;
        const Op& op;
        Variant left, right, expected;
        Raises raises = Raises::Nothing;
    } cases[] = {
        // "+": texts join, a text meets a number as a number, Null wins,
        // Empty gives the other operand unchanged.
        {"2+3", add, I(2), I(3), I(5)},
        {"2+0.5", add, I(2), R(0.5), R(2.5)},
        {"a+b", add, S("a"), S("b"), S("ab")},
        {"'3'+2", add, S("3"), I(2), R(5)},
        {"2+'3'", add, I(2), S("3"), R(5)},
        {"'x'+2", add, S("x"), I(2), {}, Raises::ConvertError},
        {"Null+1", add, N, I(1), N},
        {"'a'+Null", add, S("a"), N, N},
        {"Empty+'x'", add, E, S("x"), S("x")},
        {"1+Empty", add, I(1), E, I(1)},
        {"Empty+Empty", add, E, E, I(0)},
        {"Empty+True", add, E, T, T},
        {"True+True", add, T, T, I(-2)},
        {"True+1", add, T, I(1), I(0)},
        {"date+1", add, D(1), I(1), D(2)},
        {"1+date", add, R(0.5), D(1), D(1.5)},
        {"'2'+date", add, S("2"), D(1), D(3)},
        {"max+1", add, I(INT_MAX), I(1), R(2147483648.0)},
        {"big+big", add, R(1.7e308), R(1.7e308), {}, Raises::VariantError},
        // "-"
        {"5-7", sub, I(5), I(7), I(-2)},
        {"'5'-'2'", sub, S("5"), S("2"), R(3)},
        {"Empty-1", sub, E, I(1), I(-1)},
        {"date-date", sub, D(10), D(4), R(6)},
        {"date-1", sub, D(10), I(1), D(9)},
        {"min-1", sub, I(INT_MIN), I(1), R(-2147483649.0)},
        {"Null-1", sub, N, I(1), N},
        // "*"
        {"6*7", mul, I(6), I(7), I(42)},
        {"65536*65536", mul, I(65536), I(65536), R(4294967296.0)},
        {"date*2", mul, D(2), I(2), R(4)},
        {"Empty*5", mul, E, I(5), I(0)},
        {"True*3", mul, T, I(3), I(-3)},
        {"'2'*'3'", mul, S("2"), S("3"), R(6)},
        // "/": always a real; by zero an error (the evaluator guards it)
        {"7/2", div, I(7), I(2), R(3.5)},
        {"6/3", div, I(6), I(3), R(2)},
        {"1/0", div, I(1), I(0), {}, Raises::VariantError},
        {"Null/0", div, N, I(0), N},
        // MOD: integers, reals rounded halves to even
        {"7 mod 3", mod, I(7), I(3), I(1)},
        {"-7 mod 3", mod, I(-7), I(3), I(-1)},
        {"7.5 mod 3", mod, R(7.5), I(3), I(2)},
        {"'9' mod 4", mod, S("9"), I(4), I(1)},
        {"5 mod 0", mod, I(5), I(0), {}, Raises::VariantError},
        {"min mod -1", mod, I(INT_MIN), I(-1), I(0)},
        {"Null mod 2", mod, N, I(2), N},
        // AND / OR: logical on Booleans, bitwise otherwise, texts as Booleans
        {"12 and 10", band, I(12), I(10), I(8)},
        {"12 or 3", bor, I(12), I(3), I(15)},
        {"T and F", band, T, F, F},
        {"T or F", bor, T, F, T},
        {"T and 5", band, T, I(5), I(5)},
        {"'True' and T", band, S("True"), T, T},
        {"'0' or F", bor, S("0"), F, F},
        {"2.6 and 3", band, R(2.6), I(3), I(3)},
        {"Empty and T", band, E, T, I(0)},
        {"'x' and T", band, S("x"), T, {}, Raises::ConvertError},
        {"Null and F", band, N, F, F},
        {"T and Null", band, T, N, N},
        {"Null and 0", band, N, I(0), I(0)},
        {"Null and 5", band, N, I(5), N},
        {"Null or T", bor, N, T, T},
        {"F or Null", bor, F, N, N},
        {"Null or -1", bor, N, I(-1), I(-1)},
        {"Null or Null", bor, N, N, N},
    };
    for (const Case& c : cases) {
        ExpectRaises(c.raises, [&] { (void)c.op(c.left, c.right); }, c.name);
        if (c.raises == Raises::Nothing)
            EXPECT_EQ(c.op(c.left, c.right), c.expected) << c.name;
    }
}

TEST(VariantOperations, UnaryFollowTheTables)
{
    struct Case {
        const char* name;
        bool negate;  // VarNeg, else VarNot
        Variant value, expected;
        Raises raises = Raises::Nothing;
    } cases[] = {
        {"-5", true, I(5), I(-5)},
        {"-min", true, I(INT_MIN), R(2147483648.0)},
        {"-2.5", true, R(2.5), R(-2.5)},
        {"-'2'", true, S("2"), R(-2)},
        {"-'x'", true, S("x"), {}, Raises::ConvertError},
        {"-True", true, T, I(1)},
        {"-date", true, D(3), D(-3)},
        {"-Null", true, N, N},
        {"-Empty", true, E, I(0)},
        {"not 0", false, I(0), I(-1)},
        {"not 5", false, I(5), I(-6)},
        {"not 2.4", false, R(2.4), I(-3)},
        {"not True", false, T, F},
        {"not 'False'", false, S("False"), T},
        {"not Null", false, N, N},
        {"not Empty", false, E, I(-1)},
    };
    for (const Case& c : cases) {
        const auto op = [&] { return c.negate ? VarNeg(c.value) : VarNot(c.value); };
        ExpectRaises(c.raises, [&] { (void)op(); }, c.name);
        if (c.raises == Raises::Nothing)
            EXPECT_EQ(op(), c.expected) << c.name;
    }
}

TEST(VariantOperations, ComparisonFollowsTheTable)
{
    using C = VarCmpResult;
    struct Case {
        Variant left, right;
        C expected;
    } cases[] = {
        {I(1), R(1.0), C::Equal},
        {I(1), R(1.5), C::Less},
        {R(2), I(1), C::Greater},
        {T, I(-1), C::Equal},
        {F, I(0), C::Equal},
        {D(2), R(2), C::Equal},
        {D(2), D(3), C::Less},
        // A number is less than any text; texts compare byte for byte.
        {I(2), S("1"), C::Less},
        {S("1"), I(2), C::Greater},
        {T, S(""), C::Less},
        {S("a"), S("b"), C::Less},
        {S("b"), S("a"), C::Greater},
        {S("B"), S("a"), C::Less},
        {S("abc"), S("abc"), C::Equal},
        {S("ab"), S("abc"), C::Less},
        {S("\xE9"), S("z"), C::Greater},
        // Empty is 0 against numbers and "" against texts.
        {E, I(0), C::Equal},
        {E, I(1), C::Less},
        {E, S(""), C::Equal},
        {E, S("a"), C::Less},
        {S("a"), E, C::Greater},
        {E, E, C::Equal},
        // Null compares with nothing.
        {N, N, C::Null},
        {N, I(0), C::Null},
        {S("a"), N, C::Null},
        {E, N, C::Null},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VarCmp(c.left, c.right), c.expected)
            << ::testing::PrintToString(c.left) << " vs " << ::testing::PrintToString(c.right);
}

TEST(ValueText, RoundsHalvesToEven)
{
    const struct {
        double in, out;
    } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2}, {2.4999, 2},
                 {2.5001, 3}, {1e300, 1e300}, {-7.0, -7.0}};
    for (const auto& c : cases)
        EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
}

TEST(ValueText, ReadsIntegersStrictly)
{
    const struct {
        const char* text;
        bool ok;
        std::int32_t value;
    } cases[] = {{"12", true, 12},           {" -7 ", true, -7},      {"+3", true, 3},
                 {"2147483647", true, INT_MAX}, {"-2147483648", true, INT_MIN}, {"2147483648", false, 0},
                 {"1.0", false, 0},           {"", false, 0},          {"-", false, 0},
                 {"12a", false, 0},           {"99999999999999999999", false, 0}};
    for (const auto& c : cases) {
        std::int32_t v = 0;
        EXPECT_EQ(TryTextToInteger(c.text, v), c.ok) << c.text;
        if (c.ok)
            EXPECT_EQ(v, c.value) << c.text;
    }
    EXPECT_THROW(StrToInt("x"), EConvertError);
}

TEST(ValueText, DatesAndTimes)
{
    const FormatSettings& us = FormatSettings::standard();
    const struct {
        const char* text;
        bool date;  // else time
        bool ok;
        double value;
    } cases[] = {
        {"12/30/1899", true, true, 0},
        {"1/1/2000", true, true, 36526},
        {"2/29/2000", true, true, 36585},
        {"2/29/1900", true, false, 0},
        {"13/1/2000", true, false, 0},
        {"1/1/29", true, true, 47119},   // 2029
        {"1/1/30", true, true, 10959},   // 1930
        {"1/1/99", true, true, 36161},
        {"1/1/0099", true, false, 0},    // year 99 is before the first year
        {"1-1-2000", true, false, 0},
        {"12:00", false, true, 0.5},
        {"6:00:00", false, true, 0.25},
        {"18:00:00.500", false, true, (18 * 3600 + 0.5) / 86400},
        {"12:00 AM", false, true, 0},
        {"1:30 pm", false, true, 13.5 / 24},
        {"13:00 PM", false, false, 0},
        {"24:00", false, false, 0},
        {"12", false, false, 0},
        {"", false, false, 0},
    };
    for (const auto& c : cases) {
        double v = -1;
        const bool ok = c.date ? TryTextToDate(c.text, us, v) : TryTextToTime(c.text, us, v);
        EXPECT_EQ(ok, c.ok) << c.text;
        if (c.ok)
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
    }
    EXPECT_THROW(StrToDate("x", us), EConvertError);
    EXPECT_THROW(StrToTime("x", us), EConvertError);

    // A date without its year is in the current year.
    double withoutYear = 0, thisYear = 0;
    ASSERT_TRUE(TryTextToDate("3/1", us, withoutYear));
    DateTimeParts parts;
    ASSERT_TRUE(TryDecodeDateTime(withoutYear, parts));
    ASSERT_TRUE(TryEncodeDate(parts.year, 3, 1, thisYear));
    EXPECT_EQ(withoutYear, thisYear);
}

TEST(ValueText, DecodesAcrossTheRange)
{
    for (const double serial : {kMinDateTime, -1.5, 0.0, 0.999999, 36525.75, kMaxDateTime + 0.5}) {
        DateTimeParts parts;
        ASSERT_TRUE(TryDecodeDateTime(serial, parts)) << serial;
        double date = 0, time = 0;
        ASSERT_TRUE(TryEncodeDate(parts.year, parts.month, parts.day, date)) << serial;
        ASSERT_TRUE(TryEncodeTime(parts.hour, parts.minute, parts.second, parts.millisecond, time)) << serial;
        EXPECT_NEAR(CombineDateTime(date, time), serial, 1e-8) << serial;
    }
    DateTimeParts parts;
    EXPECT_FALSE(TryDecodeDateTime(kMaxDateTime + 1, parts));
    EXPECT_FALSE(TryDecodeDateTime(kMinDateTime - 1, parts));
    EXPECT_FALSE(TryDecodeDateTime(std::nan(""), parts));
}
