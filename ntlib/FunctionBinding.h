#pragma once
// Run-time binding of the platform's advapi32 and netapi32 functions.
//
// Every such function is reached through an entry point resolved once at
// program start, so that the program starts where a library or a function
// is missing and fails only when that function is used: a call through an
// entry point that was not resolved raises ENTException with code 0.

#include "platform/Win32Types.h"

#include <cstddef>
#include <string>
#include <vector>

// --- the platform test ---
void GetOSVersion(DWORD& platformId, DWORD& majorVersion, DWORD& minorVersion);
bool IsWinNT();
bool IsWin2000();
// Raises the general exception (not ENTException) for the last error; the
// platform test's own failure report.
void RaiseLastSystemError();

// One group of bound entry points: the library it loaded and one entry per
// function name (null when not resolved).  Initialisation and finalisation
// count their uses, so only the first initialisation and the last
// finalisation act.
class BindingGroup {
public:
    enum class Choice {
        NtOrRemoteAdmin,        // the NT library on NT, else "varovu32.dll"
        Win2000OrRemoteAdmin,   // the NT library only on NT 5, else "varovu32.dll"
        Always,                 // the NT library everywhere
    };

    BindingGroup(std::string ntLibrary, Choice choice, std::vector<std::string> names,
                 bool suffixAOffNt = false, std::string missingSuffix = " or linked libraries");
    BindingGroup(const BindingGroup&) = delete;
    BindingGroup& operator=(const BindingGroup&) = delete;

    void Initialise();
    void Finalise();

    const std::string& LibraryName() const { return libraryName_; }
    bool IsLoaded() const { return module_ != nullptr; }

    // The entry in a slot; raises the "Cannot load library" error when it
    // was not resolved.
    FARPROC Require(std::size_t slot) const;
    FARPROC Entry(std::size_t slot) const { return entries_.at(slot); }

private:
    std::string ntLibrary_;
    Choice choice_;
    std::vector<std::string> names_;
    bool suffixAOffNt_;
    std::string missingSuffix_;

    int useCount_ = 0;
    std::string libraryName_;
    HMODULE module_ = nullptr;
    std::vector<FARPROC> entries_;
};

// Calls through a bound entry with the platform function's own signature.
template <class Fn, class... Args>
auto CallBound(const BindingGroup& group, std::size_t slot, Args... args)
{
    return reinterpret_cast<Fn*>(group.Require(slot))(args...);
}

// Binds every group in program-start order for the life of a scope; the
// program's main and the tests hold one.
class ScopedSystemFunctions {
public:
    ScopedSystemFunctions();
    ~ScopedSystemFunctions();
    ScopedSystemFunctions(const ScopedSystemFunctions&) = delete;
    ScopedSystemFunctions& operator=(const ScopedSystemFunctions&) = delete;
};
