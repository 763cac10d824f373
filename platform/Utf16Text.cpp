#include "Utf16Text.h"

#include "Utf8Text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

inline bool isHighSurrogate(unsigned unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

inline bool isLowSurrogate(unsigned unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// How many of the next 8 units at p (16 readable bytes) are plain ASCII,
// neither NUL nor above U+007F (8 when all are), and whether the unit after
// them is the NUL.
struct AsciiRun {
    unsigned length;
    bool nulNext;
};

inline AsciiRun asciiRun(const BYTE* p)
{
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i zero = _mm_setzero_si128();
    const unsigned nul = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(v, zero)));
    const unsigned ascii = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xFF80))), zero)));
    const unsigned special = nul | (~ascii & 0xFFFF);
    if (special == 0)
        return {8, false};
    const unsigned first = static_cast<unsigned>(__builtin_ctz(special));
    return {first / 2, ((nul >> first) & 1) != 0};
#else
    unsigned n = 0;
    while (n < 8 && p[2 * n + 1] == 0 && p[2 * n] != 0 && p[2 * n] < 0x80)
        ++n;
    return {n, n < 8 && p[2 * n] == 0 && p[2 * n + 1] == 0};
#endif
}

// Writes the low bytes of the 8 units at p (16 readable bytes) to out (8
// writable bytes); the first `n` of them are the ASCII text.
inline void narrowEight(const BYTE* p, BYTE* out)
{
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(v, v));
#else
    for (int i = 0; i < 8; ++i)
        out[i] = p[2 * i];
#endif
}

} // namespace

bool FindUtf16LeNul(const BYTE* p, const BYTE* end, std::size_t& units)
{
    const BYTE* at = p;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    while (end - at >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        if (const int nul = _mm_movemask_epi8(_mm_cmpeq_epi16(v, zero))) {
            units = static_cast<std::size_t>(at - p) / 2 + static_cast<unsigned>(__builtin_ctz(static_cast<unsigned>(nul))) / 2;
            return true;
        }
        at += 16;
    }
#endif
    for (; end - at >= 2; at += 2) {
        if ((at[0] | at[1]) == 0) {
            units = static_cast<std::size_t>(at - p) / 2;
            return true;
        }
    }
    return false;
}

std::size_t CountUtf16LeTexts(const BYTE* p, const BYTE* end, std::size_t count)
{
    std::size_t found = 0;
    const BYTE* at = p;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    auto nulUnits = [&](const BYTE* from) {
        return _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from)), zero);
    };
    // 32 units at a time, one bit a NUL unit: one count for 64 bytes.
    while (found < count && end - at >= 64) {
        const auto low = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(nulUnits(at), nulUnits(at + 16))));
        const auto high =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(nulUnits(at + 32), nulUnits(at + 48))));
        const std::size_t here = static_cast<std::size_t>(__builtin_popcount(low | (high << 16)));
        if (found + here >= count)
            return count;
        found += here;
        at += 64;
    }
    while (found < count && end - at >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        // One bit a NUL unit (the low byte's bit of each 16-bit lane).
        const unsigned nul = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(v, zero))) & 0x5555u;
        const std::size_t here = static_cast<std::size_t>(__builtin_popcount(nul));
        if (found + here >= count)
            return count;
        found += here;
        at += 16;
    }
#endif
    for (; found < count && end - at >= 2; at += 2)
        if ((at[0] | at[1]) == 0)
            ++found;
    return found;
}

bool MeasureUtf16LeText(const BYTE* p, const BYTE* end, std::size_t& units, std::size_t& utf8Length)
{
    const BYTE* at = p;
    std::size_t length = 0;
    for (;;) {
        while (end - at >= 16) {
            const AsciiRun run = asciiRun(at);
            length += run.length;
            at += 2 * run.length;
            if (run.nulNext) {
                units = static_cast<std::size_t>(at - p) / 2;
                utf8Length = length;
                return true;
            }
            if (run.length < 8)
                break;
        }
        if (end - at < 2)
            return false;
        const unsigned unit = at[0] | (at[1] << 8);
        if (unit == 0) {
            units = static_cast<std::size_t>(at - p) / 2;
            utf8Length = length;
            return true;
        }
        if (unit < 0x80) {
            length += 1;
        } else if (unit < 0x800) {
            length += 2;
        } else if (isHighSurrogate(unit) && end - at >= 4 && isLowSurrogate(at[2] | (at[3] << 8))) {
            length += 4;
            at += 2;
        } else {
            length += 3; // the rest of the plane, and U+FFFD for an unpaired surrogate
        }
        at += 2;
    }
}

TextConversion ConvertUtf16LeText(const BYTE* p, const BYTE* end, BYTE*& out, BYTE* outEnd, std::size_t& units)
{
    const BYTE* at = p;
    BYTE* w = out;
    for (;;) {
        while (end - at >= 16 && outEnd - w >= 8) {
            const AsciiRun run = asciiRun(at);
            narrowEight(at, w);
            w += run.length;
            at += 2 * run.length;
            if (run.nulNext) {
                units = static_cast<std::size_t>(at - p) / 2;
                out = w;
                return TextConversion::Done;
            }
            if (run.length < 8)
                break;
        }
        if (end - at < 2)
            return TextConversion::Unterminated;
        const unsigned unit = at[0] | (at[1] << 8);
        if (unit == 0) {
            units = static_cast<std::size_t>(at - p) / 2;
            out = w;
            return TextConversion::Done;
        }
        char32_t cp = unit;
        std::size_t take = 1;
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            if (isHighSurrogate(unit) && end - at >= 4 && isLowSurrogate(at[2] | (at[3] << 8))) {
                cp = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + ((at[2] | (at[3] << 8)) - 0xDC00);
                take = 2;
            } else {
                cp = utf8::kReplacement;
            }
        }
        if (static_cast<std::size_t>(outEnd - w) < utf8::EncodedLength(cp))
            return TextConversion::NoRoom;
        w = putUtf8(cp, w);
        at += 2 * take;
    }
}

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
