#include "RpText.h"

#include <algorithm>

namespace report {

namespace {

constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// Length of a well-formed UTF-8 sequence at pos, 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos)
{
    const auto b0 = static_cast<unsigned char>(text[pos]);
    if (b0 < 0x80)
        return 1;
    std::size_t length;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        length = 2;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > text.size())
        return 0;
    char32_t c = b0 & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[pos + i]);
        if ((b & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

char32_t Utf8CharAt(std::string_view text, std::size_t pos, std::size_t length)
{
    const auto b0 = static_cast<unsigned char>(text[pos]);
    if (length == 1)
        return b0;
    char32_t c = b0 & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        c = (c << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
    return c;
}

} // namespace

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, pos);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

char32_t Cp1252ToUnicode(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
}

char32_t Cp1251ToUnicode(unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    if (byte < 0xC0)
        return kCp1251High[byte - 0x80];
    return 0x0410 + (byte - 0xC0);
}

std::size_t TrpTextCodec::CharLength(std::string_view text, std::size_t pos) const
{
    if (!utf8_ || pos >= text.size())
        return 1;
    const std::size_t length = Utf8SequenceLength(text, pos);
    return length == 0 ? 1 : length;
}

char32_t TrpTextCodec::CharAt(std::string_view text, std::size_t pos) const
{
    if (pos >= text.size())
        return 0;
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (utf8_)
        return Utf8CharAt(text, pos, CharLength(text, pos));
    return cyrillic_ ? Cp1251ToUnicode(byte) : Cp1252ToUnicode(byte);
}

std::u32string TrpTextCodec::Decode(std::string_view text) const
{
    std::u32string result;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos))
        result += CharAt(text, pos);
    return result;
}

std::size_t TrpTextCodec::CharCount(std::string_view text) const
{
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos))
        ++count;
    return count;
}

std::size_t TextLength(std::string_view text)
{
    return TrpTextCodec(text, kDefaultCharset).CharCount(text);
}

std::string TextCopy(std::string_view text, std::int64_t from, std::int64_t count)
{
    if (count <= 0)
        return {};
    const TrpTextCodec codec(text, kDefaultCharset);
    std::size_t pos = 0;
    for (std::int64_t skip = std::max<std::int64_t>(from, 1) - 1; skip > 0 && pos < text.size(); --skip)
        pos += codec.CharLength(text, pos);
    std::size_t end = pos;
    for (std::int64_t take = count; take > 0 && end < text.size(); --take)
        end += codec.CharLength(text, end);
    return std::string(text.substr(pos, end - pos));
}

std::int64_t TextPos(std::string_view sub, std::string_view text)
{
    if (sub.empty())
        return 0;
    const TrpTextCodec codec(text, kDefaultCharset);
    std::int64_t position = 1;
    for (std::size_t pos = 0; pos + sub.size() <= text.size(); pos += codec.CharLength(text, pos), ++position) {
        if (text.compare(pos, sub.size(), sub) != 0)
            continue;
        // The match ends where a character ends.
        const std::size_t end = pos + sub.size();
        if (!codec.IsUtf8() || end == text.size() || (static_cast<unsigned char>(text[end]) & 0xC0) != 0x80)
            return position;
    }
    return 0;
}

char32_t UpperChar(char32_t c)
{
    if (c >= U'a' && c <= U'z')
        return c - 32;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return c - 32;
    if (c >= 0x0430 && c <= 0x044F)
        return c - 32;
    if (c >= 0x0450 && c <= 0x045F)
        return c - 80;
    return c;
}

} // namespace report
