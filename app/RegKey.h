#pragma once

#include "ntlib/NTException.h"

#include "platform/Registry.h"

// An open registry key, closed with its owner.
class RegKey {
public:
    RegKey() = default;
    ~RegKey()
    {
        if (key_)
            platform::RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    HKEY get() const { return key_; }
    // Where an opening function puts the key.
    PHKEY out() { return &key_; }

private:
    HKEY key_ = nullptr;
};

// Raises ENTException for the code a registry function returned.
[[noreturn]] inline void RaiseRegistryError(LONG code)
{
    throw ENTException(FormatSystemError(static_cast<DWORD>(code)), code);
}
