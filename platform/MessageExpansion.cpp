#include "MessageExpansion.h"

#include "ErrorCodes.h"
#include "Utf8Text.h"

#include <algorithm>
#include <optional>

namespace platform {
namespace {

// Collects the result and refuses anything beyond the limit, before it
// allocates for it.
class Output {
public:
    explicit Output(std::size_t limit)
        : limit_(limit)
    {
    }

    void append(std::string_view s)
    {
        if (room(s.size()))
            text_.append(s);
    }
    void appendRepeated(std::size_t count, char c)
    {
        if (room(count))
            text_.append(count, c);
    }
    bool overflowed() const { return overflowed_; }
    std::string& text() { return text_; }

private:
    bool room(std::size_t size)
    {
        if (overflowed_ || size > limit_ - text_.size()) {
            overflowed_ = true;
            return false;
        }
        return true;
    }

    std::string text_;
    std::size_t limit_;
    bool overflowed_ = false;
};

std::size_t sequenceLength(std::string_view text, std::size_t at)
{
    const auto c = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (c >= 0xF0)
        length = 4;
    else if (c >= 0xE0)
        length = 3;
    else if (c >= 0xC0)
        length = 2;
    return std::min(length, text.size() - at);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

enum class Size { Default, Char, Short, Long, LongLong, Pointer, Wide };

// One parsed "!fmt!".
struct Format {
    bool left = false;
    bool plus = false;
    bool blank = false;
    bool alternate = false;
    bool zero = false;
    bool widthFromArgument = false;
    bool precisionFromArgument = false;
    std::size_t width = 0;
    std::optional<std::size_t> precision;
    Size size = Size::Default;
    char conversion = 's';
};

std::size_t readNumber(std::string_view directive, std::size_t& at, std::size_t cap)
{
    std::size_t value = 0;
    while (at < directive.size() && isDigit(directive[at])) {
        value = std::min(cap, value * 10 + static_cast<std::size_t>(directive[at] - '0'));
        ++at;
    }
    return value;
}

bool startsWith(std::string_view s, std::size_t at, std::string_view prefix)
{
    return s.substr(at, prefix.size()) == prefix;
}

// Parses a printf-style format; false for anything it does not know.
bool parseFormat(std::string_view directive, std::size_t cap, Format& f)
{
    std::size_t at = 0;
    for (; at < directive.size(); ++at) {
        const char c = directive[at];
        if (c == '-')
            f.left = true;
        else if (c == '+')
            f.plus = true;
        else if (c == ' ')
            f.blank = true;
        else if (c == '#')
            f.alternate = true;
        else if (c == '0')
            f.zero = true;
        else
            break;
    }
    if (at < directive.size() && directive[at] == '*') {
        f.widthFromArgument = true;
        ++at;
    } else {
        f.width = readNumber(directive, at, cap);
    }
    if (at < directive.size() && directive[at] == '.') {
        ++at;
        if (at < directive.size() && directive[at] == '*') {
            f.precisionFromArgument = true;
            ++at;
        } else {
            f.precision = readNumber(directive, at, cap);
        }
    }
    if (startsWith(directive, at, "hh")) {
        f.size = Size::Char;
        at += 2;
    } else if (startsWith(directive, at, "ll") || startsWith(directive, at, "I64")) {
        f.size = Size::LongLong;
        at += directive[at] == 'l' ? 2 : 3;
    } else if (startsWith(directive, at, "I32")) {
        f.size = Size::Long;
        at += 3;
    } else if (at < directive.size()) {
        switch (directive[at]) {
        case 'h': f.size = Size::Short; ++at; break;
        case 'l': f.size = Size::Long; ++at; break;
        case 'w': f.size = Size::Wide; ++at; break;
        case 'I':
        case 'z':
        case 't':
        case 'j': f.size = Size::Pointer; ++at; break;
        default: break;
        }
    }
    if (at + 1 != directive.size())
        return false;
    f.conversion = directive[at];
    return std::string_view("sScCdiuxXop").find(f.conversion) != std::string_view::npos;
}

// Pads a converted value to the format's width (counted in characters).
void pad(std::string& value, const Format& f, std::size_t prefixLength)
{
    const std::size_t length = utf8::CodePointCount(value);
    if (length >= f.width)
        return;
    const std::size_t fill = f.width - length;
    if (f.left)
        value.append(fill, ' ');
    else if (f.zero)
        value.insert(prefixLength, fill, '0');
    else
        value.insert(0, fill, ' ');
}

std::string formatInteger(std::uintptr_t entry, const Format& f)
{
    int bits = 32;
    switch (f.size) {
    case Size::Char: bits = 8; break;
    case Size::Short: bits = 16; break;
    case Size::LongLong:
    case Size::Pointer: bits = 64; break;
    default: break;
    }
    const bool isSigned = f.conversion == 'd' || f.conversion == 'i';
    std::uint64_t raw = entry;
    if (bits < 64)
        raw &= (std::uint64_t{1} << bits) - 1;
    bool negative = false;
    std::uint64_t magnitude = raw;
    if (isSigned && ((raw >> (bits - 1)) & 1)) {
        negative = true;
        // Two's complement magnitude within the width of the value.
        magnitude = (bits == 64 ? ~raw : (~raw & ((std::uint64_t{1} << bits) - 1))) + 1;
    }

    unsigned base = 10;
    const char* digitsOf = "0123456789abcdef";
    std::optional<std::size_t> precision = f.precision;
    switch (f.conversion) {
    case 'x': base = 16; break;
    case 'X': base = 16; digitsOf = "0123456789ABCDEF"; break;
    case 'o': base = 8; break;
    case 'p':
        base = 16;
        digitsOf = "0123456789ABCDEF";
        precision = sizeof(void*) * 2;
        break;
    default: break;
    }

    std::string digits;
    for (std::uint64_t v = magnitude; v != 0; v /= base)
        digits.insert(digits.begin(), digitsOf[v % base]);
    const std::size_t minimum = precision.value_or(1);
    if (digits.size() < minimum)
        digits.insert(0, minimum - digits.size(), '0');

    std::string prefix;
    if (negative)
        prefix = "-";
    else if (isSigned && f.plus)
        prefix = "+";
    else if (isSigned && f.blank)
        prefix = " ";
    if (f.alternate && magnitude != 0 && f.conversion == 'x')
        prefix += "0x";
    else if (f.alternate && magnitude != 0 && f.conversion == 'X')
        prefix += "0X";
    else if (f.alternate && f.conversion == 'o' && (digits.empty() || digits[0] != '0'))
        digits.insert(digits.begin(), '0');

    Format layout = f;
    layout.zero = f.zero && !f.left && !f.precision;
    std::string value = prefix + digits;
    pad(value, layout, prefix.size());
    return value;
}

// Formats one insert.  False when its argument is missing or its format is
// not understood: the insert then stays as written.
class InsertFormatter {
public:
    explicit InsertFormatter(const MessageExpansion& how)
        : how_(how)
    {
    }

    bool format(std::size_t number, std::string_view directive, std::string& result) const
    {
        Format f;
        if (!parseFormat(directive, how_.limit + 1, f))
            return false;
        std::size_t index = number - 1;
        std::int64_t star = 0;
        if (f.widthFromArgument) {
            if (!starArgument(index++, star))
                return false;
            f.left = f.left || star < 0;
            f.width = static_cast<std::size_t>(std::min<std::int64_t>(star < 0 ? -star : star, how_.limit + 1));
        }
        if (f.precisionFromArgument) {
            if (!starArgument(index++, star))
                return false;
            if (star >= 0)
                f.precision = static_cast<std::size_t>(std::min<std::int64_t>(star, how_.limit + 1));
        }
        std::uintptr_t entry = 0;
        if (!argument(index, entry))
            return false;

        if (how_.stringArguments && f.conversion != 's') {
            // A text where the format wants a number or a character: the
            // text itself, in the format's width.
            Format asText = f;
            asText.conversion = 's';
            asText.size = Size::Default;
            asText.precision.reset();
            asText.zero = false;
            return formatString(entry, asText, result);
        }
        switch (f.conversion) {
        case 's':
        case 'S':
            return formatString(entry, f, result);
        case 'c':
        case 'C':
            formatCharacter(entry, f, result);
            return true;
        default:
            result = formatInteger(entry, f);
            return true;
        }
    }

private:
    bool argument(std::size_t index, std::uintptr_t& entry) const
    {
        if (!how_.arguments || index >= how_.argumentCount)
            return false;
        entry = how_.arguments[index];
        return true;
    }

    // The value of a "*": the entry itself, or the number a text entry
    // starts with.
    bool starArgument(std::size_t index, std::int64_t& value) const
    {
        std::uintptr_t entry = 0;
        if (!argument(index, entry))
            return false;
        if (!how_.stringArguments) {
            value = static_cast<std::int32_t>(entry);
            return true;
        }
        if (entry == 0)
            return false;
        std::string_view text(reinterpret_cast<const char*>(entry));
        bool negative = false;
        std::size_t at = 0;
        if (at < text.size() && (text[at] == '-' || text[at] == '+'))
            negative = text[at++] == '-';
        value = 0;
        for (; at < text.size() && isDigit(text[at]); ++at)
            value = std::min<std::int64_t>(value * 10 + (text[at] - '0'), std::int64_t{1} << 40);
        if (negative)
            value = -value;
        return true;
    }

    bool isWide(const Format& f) const
    {
        if (how_.stringArguments)
            return false;
        // In the ANSI function "s" is narrow and "S" wide; h and l/w force one.
        if (f.size == Size::Short)
            return false;
        if (f.size == Size::Long || f.size == Size::Wide)
            return true;
        return f.conversion == 'S' || f.conversion == 'C';
    }

    bool formatString(std::uintptr_t entry, const Format& f, std::string& result) const
    {
        if (entry == 0)
            return false;
        std::string text;
        if (isWide(f)) {
            const auto* units = reinterpret_cast<const char16_t*>(entry);
            std::u16string_view view(units);
            if (f.precision)
                view = view.substr(0, std::min(view.size(), *f.precision * 2)); // enough for the characters kept
            utf8::AppendFromUtf16(text, view);
        } else {
            const auto* chars = reinterpret_cast<const char*>(entry);
            std::string_view view(chars);
            if (f.precision)
                view = view.substr(0, std::min(view.size(), *f.precision * 4));
            utf8::AppendValid(text, view);
        }
        if (f.precision)
            text.resize(utf8::CodePointPrefixBytes(text, *f.precision));
        Format layout = f;
        layout.zero = f.zero && !f.left;
        pad(text, layout, 0);
        result = std::move(text);
        return true;
    }

    void formatCharacter(std::uintptr_t entry, const Format& f, std::string& result) const
    {
        std::string text;
        if (isWide(f))
            utf8::AppendFromUtf16(text, std::u16string(1, static_cast<char16_t>(entry & 0xFFFF)));
        else
            utf8::AppendValid(text, std::string(1, static_cast<char>(entry & 0xFF)));
        if (text == std::string(1, '\0'))
            text.clear();
        Format layout = f;
        layout.zero = false;
        pad(text, layout, 0);
        result = std::move(text);
    }

    const MessageExpansion& how_;
};

// Breaks each line at blanks so that it fits `width` characters; a word
// longer than the width stays whole.
std::string wrapLines(const std::string& text, std::size_t width)
{
    std::string result;
    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t end = text.find("\r\n", from);
        const bool last = end == std::string::npos;
        if (last)
            end = text.size();
        std::string_view line(text.data() + from, end - from);
        while (utf8::CodePointCount(line) > width) {
            const std::size_t fitting = utf8::CodePointPrefixBytes(line, width);
            std::size_t blank = line.rfind(' ', fitting);
            if (blank == std::string_view::npos)
                blank = line.find(' ', fitting);
            if (blank == std::string_view::npos)
                break;
            result.append(line.substr(0, blank));
            result += "\r\n";
            line.remove_prefix(blank + 1);
        }
        result.append(line);
        if (last)
            break;
        result += "\r\n";
        from = end + 2;
    }
    return result;
}

} // namespace

DWORD ExpandMessage(std::string_view text, const MessageExpansion& how, std::string& result)
{
    Output out(how.limit);
    const InsertFormatter inserts(how);
    const std::string_view lineBreak = how.maxWidth == 0 ? "\r\n" : " ";
    std::size_t i = 0;
    while (i < text.size() && !out.overflowed()) {
        const char c = text[i];
        if (c == '\n') {
            out.append(lineBreak);
            ++i;
            continue;
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out.append(lineBreak);
            i += 2;
            continue;
        }
        if (c != '%') {
            const std::size_t next = std::min(text.find_first_of("%\n\r", i + 1), text.size());
            // A bare CR is text like any other.
            out.append(text.substr(i, next - i));
            i = next;
            continue;
        }
        if (i + 1 == text.size())
            break; // a "%" at the very end stands for nothing
        const char d = text[i + 1];
        if (d == '0')
            break;
        if (isDigit(d)) {
            std::size_t end = i + 2;
            std::size_t number = static_cast<std::size_t>(d - '0');
            if (end < text.size() && isDigit(text[end]))
                number = number * 10 + static_cast<std::size_t>(text[end++] - '0');
            std::string_view directive = "s";
            if (end < text.size() && text[end] == '!') {
                const std::size_t close = text.find('!', end + 1);
                if (close != std::string_view::npos) {
                    directive = text.substr(end + 1, close - end - 1);
                    end = close + 1;
                }
            }
            std::string formatted;
            if (!how.ignoreInserts && inserts.format(number, directive, formatted))
                out.append(formatted);
            else
                out.append(text.substr(i, end - i));
            i = end;
            continue;
        }
        if (d == '\r' || d == '\n') {
            ++i; // a "%" before a line break stands for nothing; the break stays
            continue;
        }
        switch (d) {
        case 'n': out.append("\r\n"); break;
        case 'r': out.append("\r"); break;
        case 't': out.append("\t"); break;
        default: out.append(text.substr(i + 1, sequenceLength(text, i + 1))); break;
        }
        i += 1 + sequenceLength(text, i + 1);
    }
    if (out.overflowed())
        return ERROR_INSUFFICIENT_BUFFER;
    if (how.maxWidth > 0 && how.maxWidth < 0xFF) {
        std::string wrapped = wrapLines(out.text(), how.maxWidth);
        if (wrapped.size() > how.limit)
            return ERROR_INSUFFICIENT_BUFFER;
        result = std::move(wrapped);
        return ERROR_SUCCESS;
    }
    result = std::move(out.text());
    return ERROR_SUCCESS;
}

} // namespace platform
