#include "FunctionBinding.h"

#include "AdvApi32.h"
#include "LmApibuf.h"
#include "LmServer.h"
#include "NTException.h"

#include "platform/Kernel32.h"

#include <array>
#include <cstdint>
#include <stdexcept>

void RaiseLastSystemError()
{
    const DWORD code = GetLastError();
    if (code == 0)
        return;
    std::array<char, 1024> text{};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text.data(),
                   static_cast<DWORD>(text.size()), nullptr);
    text.back() = '\0';
    throw std::runtime_error("System error " + std::to_string(code) + ": " + text.data());
}

void GetOSVersion(DWORD& platformId, DWORD& majorVersion, DWORD& minorVersion)
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    SetLastError(0);
    if (!GetVersionExA(&info))
        RaiseLastSystemError();
    platformId = info.dwPlatformId;
    majorVersion = info.dwMajorVersion;
    minorVersion = info.dwMinorVersion;
}

bool IsWinNT()
{
    DWORD id = 0, major = 0, minor = 0;
    GetOSVersion(id, major, minor);
    return id == VER_PLATFORM_WIN32_NT;
}

bool IsWin2000()
{
    DWORD id = 0, major = 0, minor = 0;
    GetOSVersion(id, major, minor);
    return id == VER_PLATFORM_WIN32_NT && major == 5;
}

BindingGroup::BindingGroup(std::string ntLibrary, Choice choice, std::vector<std::string> names, bool suffixAOffNt,
                           std::string missingSuffix)
    : ntLibrary_(std::move(ntLibrary))
    , choice_(choice)
    , names_(std::move(names))
    , suffixAOffNt_(suffixAOffNt)
    , missingSuffix_(std::move(missingSuffix))
    , entries_(names_.size(), nullptr)
{
}

void BindingGroup::Initialise()
{
    if (useCount_++ > 0)
        return;
    bool useNtLibrary = true;
    switch (choice_) {
    case Choice::NtOrRemoteAdmin:
        useNtLibrary = IsWinNT();
        break;
    case Choice::Win2000OrRemoteAdmin:
        useNtLibrary = IsWin2000();
        break;
    case Choice::Always:
        break;
    }
    libraryName_ = useNtLibrary ? ntLibrary_ : "varovu32.dll";
    HMODULE module = LoadLibraryA(libraryName_.c_str());
    // A handle of 32 or less is a failed load.
    if (reinterpret_cast<std::uintptr_t>(module) <= 32)
        return;
    module_ = module;
    const bool appendA = suffixAOffNt_ && !IsWinNT();
    for (std::size_t i = 0; i < names_.size(); ++i) {
        std::string name = names_[i];
        if (appendA && name != "NetApiBufferFree")
            name += 'A';
        entries_[i] = GetProcAddress(module_, name.c_str());
    }
}

void BindingGroup::Finalise()
{
    if (useCount_ == 0 || --useCount_ > 0)
        return;
    if (module_)
        FreeLibrary(module_);
    module_ = nullptr;
    libraryName_.clear();
    std::fill(entries_.begin(), entries_.end(), nullptr);
}

FARPROC BindingGroup::Require(std::size_t slot) const
{
    FARPROC entry = entries_.at(slot);
    if (!entry)
        RaiseNTError("Cannot load library \"" + libraryName_ + "\"" + missingSuffix_, 0);
    return entry;
}

ScopedSystemFunctions::ScopedSystemFunctions()
{
    BindWindows2000Functions();
    BindSecurityFunctions();
    BindAdvApi32Functions();
    BindNetApi32Functions();
    BindServiceFunctions();
    LoadNetApiBufferFunctions();
    LoadNetServerFunctions();
}

ScopedSystemFunctions::~ScopedSystemFunctions()
{
    UnloadNetServerFunctions();
    UnloadNetApiBufferFunctions();
    UnbindServiceFunctions();
    UnbindNetApi32Functions();
    UnbindAdvApi32Functions();
    UnbindSecurityFunctions();
    UnbindWindows2000Functions();
}
