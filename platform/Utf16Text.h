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

// UTF-8 to UTF-16 code units; malformed sequences become U+FFFD and
// *valid (when given) is set to false.
std::u16string Utf16FromUtf8(std::string_view text, bool* valid = nullptr);

} // namespace platform
