#pragma once
// UTF-8 and UTF-16 conversions of the platform.  The platform's ANSI code
// page is UTF-8, while files written by the system's tools hold UTF-16LE.

#include <string>
#include <string_view>

namespace platform::utf8 {

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool IsValid(std::string_view text);

// The text with every ill-formed byte sequence replaced by U+FFFD.
std::string Sanitized(std::string_view text);

// UTF-16 code units to UTF-8.  An unpaired surrogate becomes U+FFFD and
// clears `wellFormed` (when given).
std::string FromUtf16(std::u16string_view text, bool* wellFormed = nullptr);

// UTF-8 to UTF-16 code units; ill-formed sequences become U+FFFD.
std::u16string ToUtf16(std::string_view text);

// Number of code points of well-formed UTF-8 (ill-formed bytes count one each).
std::size_t CodePointCount(std::string_view text);

} // namespace platform::utf8
