#pragma once
// Conversions between the UTF-16LE text of event-log files and UTF-8, the
// platform's ANSI code page.  Unpaired surrogates become U+FFFD, so every
// character survives and nothing malformed leaves the platform.

#include "Win32Types.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Number of UTF-8 bytes that `units` UTF-16LE code units at p convert to.
std::size_t Utf8LengthOfUtf16Le(const BYTE* p, std::size_t units);

// Converts `units` UTF-16LE code units at p into out (which has room for
// Utf8LengthOfUtf16Le bytes); returns the end of the written text.
BYTE* WriteUtf8FromUtf16Le(const BYTE* p, std::size_t units, BYTE* out);

std::string Utf8FromUtf16Le(const BYTE* p, std::size_t units);

// The UTF-16LE text that starts at p and ends at its NUL, which must come
// before `end`: its length in units and in UTF-8 bytes (without the NUL);
// false when no NUL comes before end.
bool MeasureUtf16LeText(const BYTE* p, const BYTE* end, std::size_t& units, std::size_t& utf8Length);

// The length in units of the UTF-16LE text that starts at p and ends at its
// NUL, which must come before `end`; false when no NUL comes before end.
bool FindUtf16LeNul(const BYTE* p, const BYTE* end, std::size_t& units);

// Walks `count` UTF-16LE texts laid end to end from p, each ending at its
// NUL before `end`: how many of them end before `end` (count when all do).
std::size_t CountUtf16LeTexts(const BYTE* p, const BYTE* end, std::size_t count);

enum class TextConversion {
    Done,         // converted; `out` is past the text (no NUL written)
    Unterminated, // no NUL before end
    NoRoom,       // the UTF-8 form does not fit before outEnd
};
// Converts the UTF-16LE text that starts at p and ends at its NUL (before
// `end`) to UTF-8 at `out`, writing nothing at or past outEnd; gives its
// length in units.  One pass finds the NUL and converts.
TextConversion ConvertUtf16LeText(const BYTE* p, const BYTE* end, BYTE*& out, BYTE* outEnd, std::size_t& units);

// UTF-8 to UTF-16 code units; malformed sequences become U+FFFD and
// *valid (when given) is set to false.
std::u16string Utf16FromUtf8(std::string_view text, bool* valid = nullptr);

} // namespace platform
