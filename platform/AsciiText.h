#pragma once
// Small text helpers of the platform: names are compared without regard to
// the case of ASCII letters (other bytes compare exactly), and the text
// files it reads separate their fields by blanks (spaces and tabs).

#include <string>
#include <string_view>

namespace platform {

// The text with its ASCII letters upper-cased (lower-cased).
std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);

// True when the texts are the same but for the case of ASCII letters.
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

bool IsBlank(char c);

// The text without the blanks at its start and end.
std::string_view TrimmedBlanks(std::string_view text);

// The value of a hexadecimal digit, or -1.
int HexDigitValue(char c);

} // namespace platform
