#include "Utf8Text.h"

namespace platform::utf8 {
namespace {

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

} // namespace

Sequence DecodeFirst(std::string_view text)
{
    const auto b0 = static_cast<unsigned char>(text[0]);
    if (b0 < 0x80)
        return {b0, 1, true};
    std::size_t length = 0;
    char32_t minimum = 0;
    char32_t value = 0;
    if ((b0 & 0xE0) == 0xC0) {
        length = 2;
        minimum = 0x80;
        value = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3;
        minimum = 0x800;
        value = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4;
        minimum = 0x10000;
        value = b0 & 0x07;
    } else {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (i >= text.size() || !isContinuation(static_cast<unsigned char>(text[i])))
            return {kReplacement, i, false};
        value = (value << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {kReplacement, length, false};
    return {value, length, true};
}

void AppendCodePoint(std::string& out, char32_t cp)
{
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        cp = kReplacement;
    EncodeCodePoint(cp, [&out](unsigned char byte) { out += static_cast<char>(byte); });
}

void AppendCodePoint(std::u16string& out, char32_t cp)
{
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<char16_t>(cp);
    }
}

bool IsValid(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        const Sequence s = DecodeFirst(text.substr(pos));
        if (!s.valid)
            return false;
        pos += s.length;
    }
    return true;
}

std::string Sanitized(std::string_view text)
{
    if (IsValid(text))
        return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t pos = 0; pos < text.size();) {
        const Sequence s = DecodeFirst(text.substr(pos));
        if (!s.valid) {
            AppendCodePoint(out, kReplacement);
            ++pos;
        } else {
            out.append(text.substr(pos, s.length));
            pos += s.length;
        }
    }
    return out;
}

void AppendValid(std::string& out, std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const Sequence s = DecodeFirst(text.substr(i));
        if (!s.valid) {
            AppendCodePoint(out, kReplacement);
            ++i;
            // The rest of a broken sequence goes with it.
            while (i < text.size() && isContinuation(static_cast<unsigned char>(text[i])))
                ++i;
            continue;
        }
        out.append(text.substr(i, s.length));
        i += s.length;
    }
}

std::string FromUtf16(std::u16string_view text, bool* wellFormed)
{
    std::string out;
    out.reserve(text.size());
    bool ok = true;
    const auto unitAt = [&](std::size_t k) { return text[k]; };
    for (std::size_t i = 0; i < text.size();)
        AppendCodePoint(out, NextUtf16CodePoint(unitAt, text.size(), i, ok));
    if (wellFormed && !ok)
        *wellFormed = false;
    return out;
}

void AppendFromUtf16(std::string& out, std::u16string_view text)
{
    bool wellFormed = true;
    const auto unitAt = [&](std::size_t k) { return text[k]; };
    for (std::size_t i = 0; i < text.size();)
        AppendCodePoint(out, NextUtf16CodePoint(unitAt, text.size(), i, wellFormed));
}

std::u16string ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const Sequence s = DecodeFirst(text.substr(pos));
        AppendCodePoint(out, s.codePoint);
        pos += s.valid ? s.length : 1;
    }
    return out;
}

std::size_t CodePointCount(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        const Sequence s = DecodeFirst(text.substr(pos));
        pos += s.valid ? s.length : 1;
    }
    return count;
}

std::size_t CodePointPrefixBytes(std::string_view text, std::size_t count)
{
    std::size_t pos = 0;
    for (std::size_t seen = 0; seen < count && pos < text.size(); ++seen) {
        const Sequence s = DecodeFirst(text.substr(pos));
        pos += s.valid ? s.length : 1;
    }
    return pos;
}

} // namespace platform::utf8
