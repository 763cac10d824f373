// FormatMessageA: inserts with their printf formats, escapes, line breaks,
// missing arguments, buffers, and messages of files and of the system.
#include "MessageFixtures.h"

#include "platform/Kernel32.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

using fixtures::MessageFile;

namespace {

// An argument array of 99 entries, all null until set.
struct Arguments {
    std::array<std::uintptr_t, 99> entries{};

    Arguments& text(std::size_t number, const char* s)
    {
        entries.at(number - 1) = reinterpret_cast<std::uintptr_t>(s);
        return *this;
    }
    Arguments& wide(std::size_t number, const char16_t* s)
    {
        entries.at(number - 1) = reinterpret_cast<std::uintptr_t>(s);
        return *this;
    }
    Arguments& value(std::size_t number, std::intptr_t v)
    {
        entries.at(number - 1) = static_cast<std::uintptr_t>(v);
        return *this;
    }
};

struct Result {
    DWORD length = 0;
    DWORD error = 0;
    std::string text;
};

Result format(DWORD flags, LPCVOID source, DWORD id, void* arguments, DWORD size = 4096, DWORD language = 0)
{
    std::vector<char> buffer(size + 1, '#');
    SetLastError(0);
    Result r;
    r.length = FormatMessageA(flags, source, id, language, size ? buffer.data() : nullptr, size, arguments);
    r.error = r.length == 0 ? GetLastError() : 0;
    if (r.length || r.error == 0)
        r.text.assign(buffer.data(), r.length);
    return r;
}

Result fromString(const char* text, Arguments* args, DWORD extraFlags = 0)
{
    return format(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY | extraFlags, text, 0,
                  args ? args->entries.data() : nullptr);
}

TEST(FormatMessageInserts, StringAndNumberForms)
{
    static const char16_t wide[] = u"wide \u00E9";
    Arguments a;
    a.text(1, "alpha").text(2, "beta").value(3, -42).value(4, 3000000000).value(5, 0xBEEF).value(6, 8);
    a.text(7, "Gr\u00FC\u00DFe").wide(8, wide).value(9, 'Q').value(10, 0x20AC).value(11, -1).value(12, 65535);
    a.text(99, "last");

    struct Case {
        const char* format;
        const char* expected;
    } cases[] = {
        {"%1 and %2", "alpha and beta"},
        {"%1!s!|%2!5s!|%2!-6s!|%1!.3s!|%1!8.2s!", "alpha| beta|beta  |alp|      al"},
        {"[%7!.3s!] [%7!7s!]", "[Gr\u00FC] [  Gr\u00FC\u00DFe]"},
        {"%3!d! %3!i! %3!u! %4!u! %4!d!", "-42 -42 4294967254 3000000000 -1294967296"},
        {"%5!x! %5!X! %5!#x! %5!#X! %6!o! %6!#o!", "beef BEEF 0xbeef 0XBEEF 10 010"},
        {"[%6!5d!] [%6!-5d!] [%6!05d!] [%3!05d!] [%6!+d!] [%6! d!] [%6!.3d!] [%3!8.4d!]",
         "[    8] [8    ] [00008] [-0042] [+8] [ 8] [008] [   -0042]"},
        {"%11!d! %11!u! %11!lu! %11!I64d! %11!lld! %11!I64u!",
         "-1 4294967295 4294967295 -1 -1 18446744073709551615"},
        {"%12!hd! %12!hu! %11!hhu! %11!I32d!", "-1 65535 255 -1"},
        {"%8!S! %8!ls! %8!ws! %1!hs! %1!hS!", "wide \u00E9 wide \u00E9 wide \u00E9 alpha alpha"},
        {"%9!c!%9!3c!%10!C!%10!lc!", "Q  Q\u20AC\u20AC"},
        {"%6!p!", "0000000000000008"},
        {"%99 and %10!X!", "last and 20AC"},
        {"%990", "last0"}, // inserts stop after two digits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const Result r = fromString(c.format, &a);
        EXPECT_EQ(r.error, 0u);
        EXPECT_EQ(r.text, c.expected);
        EXPECT_EQ(r.length, r.text.size());
    }
}

TEST(FormatMessageInserts, WidthAndPrecisionFromArguments)
{
    Arguments a;
    a.value(1, 6).text(2, "abc").value(3, -5).text(4, "xy").value(5, 8).value(6, 2).text(7, "precise");
    struct Case {
        const char* format;
        const char* expected;
    } cases[] = {
        {"[%1!*s!]", "[   abc]"},
        {"[%3!*s!]", "[xy   ]"}, // a negative width justifies left
        {"[%5!*.*s!]", "[      pr]"},
        {"[%1!.*s!]", "[abc]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(fromString(c.format, &a).text, c.expected);
    }
    // A "*" whose value would lie beyond the 99 entries leaves the insert.
    EXPECT_EQ(fromString("%99!*s!", &a).text, "%99!*s!");
}

TEST(FormatMessageInserts, StringArgumentsForEveryFormat)
{
    Arguments a;
    a.text(1, "42").text(2, "text").text(3, "-7").text(4, "abc").text(5, "6").text(6, "xy");
    const DWORD flags = FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_STRING_ARGUMENTS;
    struct Case {
        const char* format;
        const char* expected;
    } cases[] = {
        {"%1!d! %1!lu! %1!x! %2!c! %2!S! %2!p!", "42 42 42 text text text"},
        {"[%1!5d!] [%1!-5u!] [%1!05d!] [%1!.5d!] [%2!.2s!]", "[   42] [42   ] [   42] [42] [te]"},
        {"[%5!*s!] [%3!*s!] [%5!.*s!]", "[    xy] [abc    ] [xy]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(format(flags, c.format, 0, a.entries.data()).text, c.expected);
    }
    // A null entry is still a missing argument.
    EXPECT_EQ(format(flags, "%7!d!", 0, a.entries.data()).text, "%7!d!");
}

TEST(FormatMessageInserts, MissingArgumentsNeverCrash)
{
    Arguments a;
    a.text(1, "one");
    struct Case {
        const char* format;
        Arguments* args;
        const char* expected;
    } cases[] = {
        {"%1 %2 %3!-8s! %4!S!", &a, "one %2 %3!-8s! %4!S!"},
        {"%1 %2!d!", &a, "one 0"},         // a numeric entry is its value: 0
        {"%1 %2!d! %3", nullptr, "%1 %2!d! %3"}, // no arguments at all
        {"%1!q! %1!5.2f! %1!! %1!s", &a, "%1!q! %1!5.2f! %1!! one!s"},
        {"%1!-10ss!", &a, "%1!-10ss!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const Result r = fromString(c.format, c.args);
        EXPECT_EQ(r.error, 0u);
        EXPECT_EQ(r.text, c.expected);
    }
}

TEST(FormatMessageEscapes, EscapesAndLineBreaks)
{
    Arguments a;
    a.text(1, "x");
    struct Case {
        const char* format;
        const char* expected;
    } cases[] = {
        {"100%% done%.%!", "100% done.!"},
        {"a%tb%rc%nd", "a\tb\rc\r\nd"},
        {"back%\\slash% blank", "back\\slash blank"},
        {"other %q %\u00E9", "other q \u00E9"},
        {"stop%0 never seen %1", "stop"},
        {"trailing %", "trailing "},
        {"before a break%\r\nnext%\nlast", "before a break\r\nnext\r\nlast"},
        {"line one\nline two\r\nend\r\n", "line one\r\nline two\r\nend\r\n"},
        {"bare\rCR", "bare\rCR"},
        {"%1%n%1%0\r\n", "x\r\nx"},
        {"not UTF-8: \xFF\xFE!", "not UTF-8: \uFFFD\uFFFD!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(fromString(c.format, &a).text, c.expected);
    }
}

TEST(FormatMessageEscapes, InsertedTextIsNotProcessed)
{
    Arguments a;
    a.text(1, "50%% of %2\nnext line%0").text(2, "two");
    EXPECT_EQ(fromString("[%1] %2", &a).text, "[50%% of %2\nnext line%0] two");
}

TEST(FormatMessageEscapes, IgnoreInsertsKeepsInsertsAndProcessesEscapes)
{
    Arguments a;
    a.text(1, "one");
    const Result r = fromString("%1!-5s! %2 %% %n%3%0tail", &a, FORMAT_MESSAGE_IGNORE_INSERTS);
    EXPECT_EQ(r.text, "%1!-5s! %2 % \r\n%3");
}

TEST(FormatMessageEscapes, MaximumWidth)
{
    // 255: line breaks of the text become blanks, hard ones stay.
    Result r = format(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_MAX_WIDTH_MASK, "one\r\ntwo%nthree\n", 0, nullptr);
    EXPECT_EQ(r.text, "one two\r\nthree ");
    // A width breaks lines at blanks; a longer word stays whole.
    r = format(FORMAT_MESSAGE_FROM_STRING | 10, "The quick brown fox jumps over\r\nthe lazy dog and "
                                                "antidisestablishment wins",
               0, nullptr);
    EXPECT_EQ(r.text, "The quick\r\nbrown fox\r\njumps over\r\nthe lazy\r\ndog and\r\nantidisestablishment\r\nwins");
}

TEST(FormatMessageBuffer, SizesAndErrors)
{
    const char* text = "twelve chars";
    Result r = format(FORMAT_MESSAGE_FROM_STRING, text, 0, nullptr, 13);
    EXPECT_EQ(r.length, 12u);
    EXPECT_EQ(r.text, "twelve chars");
    r = format(FORMAT_MESSAGE_FROM_STRING, text, 0, nullptr, 12);
    EXPECT_EQ(r.error, ERROR_INSUFFICIENT_BUFFER);
    r = format(FORMAT_MESSAGE_FROM_STRING, text, 0, nullptr, 0);
    EXPECT_EQ(r.error, ERROR_INSUFFICIENT_BUFFER);

    // A huge width fails on the buffer without allocating for it.
    Arguments a;
    a.text(1, "x");
    r = format(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, "%1!2000000000s!", 0, a.entries.data(),
               64);
    EXPECT_EQ(r.error, ERROR_INSUFFICIENT_BUFFER);
    r = format(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, "%1!99999999999999999999999s!", 0,
               a.entries.data(), 64);
    EXPECT_EQ(r.error, ERROR_INSUFFICIENT_BUFFER);

    struct Case {
        const char* name;
        DWORD flags;
        LPCVOID source;
        void* arguments;
        DWORD error;
    } cases[] = {
        {"allocated buffer", FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER, text, nullptr,
         ERROR_NOT_SUPPORTED},
        {"variable arguments", FORMAT_MESSAGE_FROM_STRING, "%1", a.entries.data(), ERROR_NOT_SUPPORTED},
        {"no text", FORMAT_MESSAGE_FROM_STRING, nullptr, nullptr, ERROR_INVALID_PARAMETER},
        {"no source", 0, text, nullptr, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(format(c.flags, c.source, 0, c.arguments).error, c.error);
    }
}

TEST(FormatMessageSources, SystemMessages)
{
    Result r = format(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND,
                      nullptr);
    EXPECT_EQ(r.text, "The system cannot find the file specified.\r\n");
    r = format(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_MR_MID_NOT_FOUND, nullptr);
    EXPECT_EQ(r.text, "The system cannot find message text for message number 0x%1 in the message file for %2.\r\n");
    r = format(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_MR_MID_NOT_FOUND, nullptr);
    EXPECT_EQ(r.text, "The system cannot find message text for message number 0x%1 in the message file for %2.\r\n");
    EXPECT_EQ(format(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 0x7FFF1234, nullptr).error, ERROR_MR_MID_NOT_FOUND);
    EXPECT_EQ(format(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_FILE_NOT_FOUND, nullptr, 4096, 0x0409).error, 0u);
    EXPECT_EQ(format(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_FILE_NOT_FOUND, nullptr, 4096, 0x0407).error,
              ERROR_RESOURCE_LANG_NOT_FOUND);
}

TEST(FormatMessageSources, MessageFilesWithArguments)
{
    HMODULE events = LoadLibraryExA(MessageFile("mirror_events.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(events, nullptr);
    const DWORD fromFile = FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY;

    Arguments a;
    a.text(1, "Nightly").text(2, "1200").text(3, "\\\\BACKUP1\\mirror");
    struct Case {
        DWORD id;
        const char* expected;
    } cases[] = {
        {100, "Mirror job Nightly copied 1200 files to \\\\BACKUP1\\mirror.\r\n"},
        {101, "Mirror job Nightly finished.\r\nSource folder: 1200\r\nTarget folder: \\\\BACKUP1\\mirror\r\n"},
        {102, "Nightly"},
        {103, "Done: 100% of Nightly.!\tTab\rCR\r\nHard\\Back Blank"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(format(fromFile, events, c.id, a.entries.data()).text, c.expected);
    }

    Arguments n;
    n.value(1, -3).value(2, 4000000000).value(3, 255).value(4, 255).value(5, 7).value(6, 42);
    n.text(7, "ab").text(8, "truncated").value(9, 8);
    EXPECT_EQ(format(fromFile, events, 104, n.entries.data()).text,
              "Files -3, bytes 4000000000, flags 0xff 0xFF, total 7, [   42] [ab    ] [trun] octal 10");

    Arguments many;
    many.text(10, "ten").text(11, "eleven").text(99, "ninety-nine");
    EXPECT_EQ(format(fromFile, events, 105, many.entries.data()).text,
              "Tenth ten, eleventh eleven, last ninety-nine, not an insert ten0.");

    // A missing id, with and without the system's texts behind the file.
    EXPECT_EQ(format(fromFile, events, 2, a.entries.data()).error, ERROR_MR_MID_NOT_FOUND);
    EXPECT_EQ(format(fromFile | FORMAT_MESSAGE_FROM_SYSTEM, events, 2, a.entries.data()).text,
              "The system cannot find the file specified.\r\n");
    EXPECT_EQ(format(fromFile | FORMAT_MESSAGE_FROM_SYSTEM, events, 100, a.entries.data()).text,
              "Mirror job Nightly copied 1200 files to \\\\BACKUP1\\mirror.\r\n");
    EXPECT_TRUE(FreeLibrary(events));
    EXPECT_EQ(format(fromFile, events, 100, a.entries.data()).error, ERROR_INVALID_HANDLE);
    EXPECT_EQ(format(fromFile, nullptr, 100, a.entries.data()).error, ERROR_RESOURCE_DATA_NOT_FOUND);

    HMODULE agent = LoadLibraryExA(MessageFile("legacy_agent.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(agent, nullptr);
    Arguments legacy;
    legacy.text(1, "LA-7").value(2, 3221225477);
    EXPECT_EQ(format(fromFile, agent, 2, legacy.entries.data(), 4096, 0x0409).text,
              "Legacy agent LA-7 stopped with code 3221225477.\r\n");
    EXPECT_TRUE(FreeLibrary(agent));
}

} // namespace
