#pragma once
// Where the local computer's system root comes from.

#include <string>

namespace platform {

// The local computer's system root ("C:\WINDOWS"), as GetWindowsDirectoryA
// gives it and as "%SystemRoot%" in a module path expands.
std::string LocalSystemRoot();

} // namespace platform
