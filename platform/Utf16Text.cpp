#include "Utf16Text.h"

#include "Utf8Text.h"

namespace platform {
namespace {

inline char16_t unitAt(const BYTE* p, std::size_t i)
{
    return static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
}

// The code point at unit i; advances i past it.
inline char32_t nextCodePoint(const BYTE* p, std::size_t units, std::size_t& i)
{
    bool wellFormed = true;
    return utf8::NextUtf16CodePoint([p](std::size_t k) { return unitAt(p, k); }, units, i, wellFormed);
}

inline BYTE* putUtf8(char32_t c, BYTE* out)
{
    utf8::EncodeCodePoint(c, [&out](unsigned char byte) { *out++ = byte; });
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
        length += utf8::EncodedLength(nextCodePoint(p, units, i));
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
    for (std::size_t i = 0; i < text.size();) {
        const utf8::Sequence s = utf8::DecodeFirst(text.substr(i));
        ok = ok && s.valid;
        utf8::AppendCodePoint(out, s.codePoint);
        i += s.length;
    }
    if (valid)
        *valid = ok;
    return out;
}

} // namespace platform
