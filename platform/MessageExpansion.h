#pragma once
// The insert and escape processing of FormatMessageA: a message text in,
// the formatted text out.
//
//   %1 .. %99        insert the argument of that number; "%1!fmt!" gives it
//                    a printf-style format (flags "-+ #0", a width and a
//                    precision, each a number or "*", the sizes h, hh, l,
//                    ll, I, I32, I64, w, z, t, j and the conversions s S c
//                    C d i u x X o p); without one it is "!s!".  A "*"
//                    takes the width (or precision) from the insert's own
//                    argument entry, and the value moves on to the next.
//   %0               ends the message here, with no line break after it
//   %n               a hard line break (CR LF); %r a bare CR; %t a tab
//   %% %. %! %space  the character itself; so is any other character after
//                    a "%" ("%\" gives "\"); a "%" at the very end or
//                    before a line break is dropped
//   line breaks      a line break of the text (CR LF or LF) is stored as CR
//                    LF; with a maximum width it becomes a blank, and lines
//                    are broken at blanks to fit the width (255: never)
//
// Arguments are an array of pointer-sized entries: a string insert's entry
// points to a NUL-terminated text (UTF-8, or UTF-16 for the wide forms),
// a numeric insert's entry is the value itself.  Only the entries of the
// inserts that the text uses are read, and none at or beyond the count
// given.  An insert whose argument is missing (no arguments, an entry
// beyond the count, a null string pointer) and an insert whose format is
// not understood are left in the text as written, format included.  The
// printf formats are interpreted here; the C library's printf never sees
// a format from a message.

#include "Win32Types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The highest insert number, and so the number of argument entries that
// FormatMessageA with FORMAT_MESSAGE_ARGUMENT_ARRAY may read.
inline constexpr std::size_t kMaxInsertNumber = 99;

struct MessageExpansion {
    bool ignoreInserts = false;                 // copy "%1!fmt!" unchanged
    // Every entry points to a UTF-8 text, whatever the format: a numeric or
    // character format prints the text with the format's flags and width,
    // and a "*" reads its value as a decimal number from the text.
    bool stringArguments = false;
    DWORD maxWidth = 0;                         // 0, 1..254 or 255
    const std::uintptr_t* arguments = nullptr;  // null: no arguments at all
    std::size_t argumentCount = 0;
    std::size_t limit = 0;                      // most bytes the result may have
};

// ERROR_SUCCESS and the formatted text (valid UTF-8), or
// ERROR_INSUFFICIENT_BUFFER when it would be longer than `limit`.
DWORD ExpandMessage(std::string_view text, const MessageExpansion& how, std::string& result);

} // namespace platform
