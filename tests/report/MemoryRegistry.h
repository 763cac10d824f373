#pragma once
// The current user's registry in memory while it lives, and the window
// placements kept in it, for the tests of engine windows.
#include "report/RP_Dock.h"

#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <string>

namespace report {

struct MemoryRegistry {
    MemoryRegistry() { platform::SetCurrentUserRegistryFile(""); }
    ~MemoryRegistry() { platform::ResetCurrentUserRegistry(); }
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    static void Set(const std::string& className, const char* name, const std::string& text)
    {
        HKEY key = nullptr;
        ASSERT_EQ(platform::RegCreateKeyExA(HKEY_CURRENT_USER, FormPlacementKey(className).c_str(), 0, nullptr, 0,
                                            KEY_WRITE, nullptr, &key, nullptr),
                  0);
        platform::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1));
        platform::RegCloseKey(key);
    }
    static std::string Get(const std::string& className, const char* name)
    {
        HKEY key = nullptr;
        if (platform::RegOpenKeyExA(HKEY_CURRENT_USER, FormPlacementKey(className).c_str(), 0, KEY_READ, &key) != 0)
            return "(no key)";
        char data[64] = {};
        DWORD size = sizeof data;
        DWORD type = 0;
        const LONG code = platform::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(data), &size);
        platform::RegCloseKey(key);
        return code == 0 && type == REG_SZ ? std::string(data) : "(none)";
    }
};

} // namespace report
