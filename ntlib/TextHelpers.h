#pragma once
// Small text helpers used inside the library.

#include <string>

namespace ntlib {

// The text without the white space (spaces, tabs, line breaks) at its start
// and end.
std::string Trimmed(const std::string& text);

} // namespace ntlib
