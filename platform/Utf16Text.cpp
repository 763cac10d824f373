#include "Utf16Text.h"

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

inline char16_t unitAt(const BYTE* p, std::size_t i)
{
    return static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
}

// The code point at unit i; advances i past it.
inline char32_t nextCodePoint(const BYTE* p, std::size_t units, std::size_t& i)
{
    const char16_t u = unitAt(p, i++);
    if (u < 0xD800 || u > 0xDFFF)
        return u;
    if (u <= 0xDBFF && i < units) {
        const char16_t low = unitAt(p, i);
        if (low >= 0xDC00 && low <= 0xDFFF) {
            ++i;
            return 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    return kReplacement;
}

inline std::size_t utf8Length(char32_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

inline BYTE* putUtf8(char32_t c, BYTE* out)
{
    if (c < 0x80) {
        *out++ = static_cast<BYTE>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<BYTE>(0xC0 | (c >> 6));
        *out++ = static_cast<BYTE>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<BYTE>(0xE0 | (c >> 12));
        *out++ = static_cast<BYTE>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<BYTE>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<BYTE>(0xF0 | (c >> 18));
        *out++ = static_cast<BYTE>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<BYTE>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<BYTE>(0x80 | (c & 0x3F));
    }
    return out;
}

} // namespace

std::size_t Utf8LengthOfUtf16Le(const BYTE* p, std::size_t units)
{
    std::size_t length = 0;
    std::size_t i = 0;
    while (i < units) {
        if (p[2 * i + 1] == 0 && p[2 * i] < 0x80) { // ASCII, the common case
            ++length;
            ++i;
            continue;
        }
        length += utf8Length(nextCodePoint(p, units, i));
    }
    return length;
}

BYTE* WriteUtf8FromUtf16Le(const BYTE* p, std::size_t units, BYTE* out)
{
    std::size_t i = 0;
    while (i < units) {
        if (p[2 * i + 1] == 0 && p[2 * i] < 0x80) {
            *out++ = p[2 * i];
            ++i;
            continue;
        }
        out = putUtf8(nextCodePoint(p, units, i), out);
    }
    return out;
}

std::string Utf8FromUtf16Le(const BYTE* p, std::size_t units)
{
    std::string text(Utf8LengthOfUtf16Le(p, units), '\0');
    WriteUtf8FromUtf16Le(p, units, reinterpret_cast<BYTE*>(text.data()));
    return text;
}

std::u16string Utf16FromUtf8(std::string_view text, bool* valid)
{
    std::u16string out;
    out.reserve(text.size());
    bool ok = true;
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto byteAt = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    while (i < n) {
        const unsigned char b = byteAt(i);
        char32_t c;
        std::size_t extra;
        char32_t minimum;
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
            minimum = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
            minimum = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
            minimum = 0x10000;
        } else {
            out.push_back(static_cast<char16_t>(kReplacement));
            ok = false;
            ++i;
            continue;
        }
        std::size_t k = 1;
        for (; k <= extra && i + k < n && (byteAt(i + k) & 0xC0) == 0x80; ++k)
            c = (c << 6) | (byteAt(i + k) & 0x3F);
        if (k <= extra || c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out.push_back(static_cast<char16_t>(kReplacement));
            ok = false;
            i += k;
            continue;
        }
        i += k;
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    if (valid)
        *valid = ok;
    return out;
}

} // namespace platform
