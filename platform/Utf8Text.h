#pragma once
// UTF-8 text of the platform: its ANSI code page is UTF-8, so every text
// that reaches a caller is valid UTF-8, with U+FFFD standing for whatever
// could not be decoded.  This is the platform's one UTF-8 decoder and
// encoder; Utf16Text.h builds the UTF-16LE bytes of the log files on it.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::utf8 {

inline constexpr char32_t kReplacement = 0xFFFD;

// One byte sequence at the start of a text.
struct Sequence {
    char32_t codePoint = kReplacement; // U+FFFD when the sequence is ill-formed
    // The bytes it takes.  An ill-formed sequence takes its lead byte and the
    // continuation bytes read before it failed (always at least one byte).
    std::size_t length = 1;
    bool valid = false;
};

// Decodes the sequence at the start of `text`, which is not empty.  Overlong
// forms, surrogates, values above U+10FFFF, stray continuation bytes and
// truncated sequences are ill-formed.
Sequence DecodeFirst(std::string_view text);

// Writes one code point (at most U+10FFFF, not a surrogate) as UTF-8, one
// byte at a time through `put(unsigned char)`.
template <typename Put>
void EncodeCodePoint(char32_t cp, const Put& put)
{
    if (cp < 0x80) {
        put(static_cast<unsigned char>(cp));
    } else if (cp < 0x800) {
        put(static_cast<unsigned char>(0xC0 | (cp >> 6)));
        put(static_cast<unsigned char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        put(static_cast<unsigned char>(0xE0 | (cp >> 12)));
        put(static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F)));
        put(static_cast<unsigned char>(0x80 | (cp & 0x3F)));
    } else {
        put(static_cast<unsigned char>(0xF0 | (cp >> 18)));
        put(static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F)));
        put(static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F)));
        put(static_cast<unsigned char>(0x80 | (cp & 0x3F)));
    }
}

// Appends one code point as UTF-8 (surrogates and values above U+10FFFF
// become U+FFFD).
void AppendCodePoint(std::string& out, char32_t codePoint);

// Appends one code point (at most U+10FFFF) as UTF-16 code units.
void AppendCodePoint(std::u16string& out, char32_t codePoint);

// The number of UTF-8 bytes of one code point (at most U+10FFFF).
constexpr std::size_t EncodedLength(char32_t codePoint)
{
    return codePoint < 0x80 ? 1 : codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
}

// Decodes the code point at unit `i` of UTF-16 text, `unitAt(k)` giving
// unit k of `units`, and advances `i` past it.  An unpaired surrogate gives
// U+FFFD and clears `wellFormed`.
template <typename UnitAt>
char32_t NextUtf16CodePoint(const UnitAt& unitAt, std::size_t units, std::size_t& i, bool& wellFormed)
{
    const char16_t unit = unitAt(i++);
    if (unit < 0xD800 || unit > 0xDFFF)
        return unit;
    if (unit <= 0xDBFF && i < units) {
        const char16_t low = unitAt(i);
        if (low >= 0xDC00 && low <= 0xDFFF) {
            ++i;
            return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    wellFormed = false;
    return kReplacement;
}

// True when the bytes are well-formed UTF-8.
bool IsValid(std::string_view text);

// The text with every ill-formed byte replaced by U+FFFD (one each).
std::string Sanitized(std::string_view text);

// Appends `text`, replacing each ill-formed sequence, together with the
// continuation bytes that follow it, by a single U+FFFD.
void AppendValid(std::string& out, std::string_view text);

// UTF-16 code units to UTF-8.  An unpaired surrogate becomes U+FFFD and
// clears `wellFormed` (when given).
std::string FromUtf16(std::u16string_view text, bool* wellFormed = nullptr);

// Appends UTF-16 code units as UTF-8; unpaired surrogates become U+FFFD.
void AppendFromUtf16(std::string& out, std::u16string_view text);

// UTF-8 to UTF-16 code units; every ill-formed byte becomes U+FFFD.
std::u16string ToUtf16(std::string_view text);

// Number of code points of well-formed UTF-8 (ill-formed bytes count one each).
std::size_t CodePointCount(std::string_view text);

// The number of bytes that the first `count` code points of well-formed
// UTF-8 take (the whole text when it has fewer).
std::size_t CodePointPrefixBytes(std::string_view text, std::size_t count);

} // namespace platform::utf8
