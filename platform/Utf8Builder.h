#pragma once
// UTF-8 text as the platform's ANSI functions hand it out: the ANSI code
// page is UTF-8, so every text that reaches a caller is valid UTF-8, with
// U+FFFD standing for whatever could not be decoded.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Appends `text`, replacing each byte sequence that is not valid UTF-8
// (stray continuation bytes, overlong forms, surrogates, values above
// U+10FFFF, truncated sequences) by U+FFFD.
void AppendValidUtf8(std::string& out, std::string_view text);

// Appends UTF-16 code units as UTF-8; unpaired surrogates become U+FFFD.
void AppendUtf16AsUtf8(std::string& out, std::u16string_view text);

// Appends one code point as UTF-8 (surrogates and values above U+10FFFF
// become U+FFFD).
void AppendCodePoint(std::string& out, char32_t codePoint);

// The number of code points of valid UTF-8 text.
std::size_t CodePointCount(std::string_view text);

// The number of bytes that the first `count` code points of valid UTF-8
// text take (the whole text when it has fewer).
std::size_t CodePointPrefixBytes(std::string_view text, std::size_t count);

} // namespace platform
