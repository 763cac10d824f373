#include "dwy_reg.h"
#include "RegKey.h"

#include "ntlib/NTException.h"

#include "platform/ErrorCodes.h"
#include "platform/Registry.h"

#include <cstring>
#include <vector>

namespace {

constexpr REGSAM kReadAccess = 0x20019;  // KEY_READ
constexpr REGSAM kWriteAccess = 0x4001F; // the values and subkeys, and WRITE_DAC
// A text value larger than this is taken as damaged, not allocated.
constexpr DWORD kMaxStringValue = 1u << 20;

// The key path as the platform takes it: relative to its root, without a
// separator at either end.
std::string keyPath(const std::string& key)
{
    std::size_t first = 0;
    std::size_t last = key.size();
    while (first < last && key[first] == '\\')
        ++first;
    while (last > first && key[last - 1] == '\\')
        --last;
    return key.substr(first, last - first);
}

// HKEY_LOCAL_MACHINE of the computer: the local one directly, a remote one
// through a connection.  ERROR_SUCCESS or the connection's error.
LONG machineRoot(const std::string& machine, RegKey& connected, HKEY& root)
{
    if (machine.empty()) {
        root = HKEY_LOCAL_MACHINE;
        return ERROR_SUCCESS;
    }
    const std::string name = machine.find("\\\\") == std::string::npos ? "\\\\" + machine : machine;
    const LONG result = platform::RegConnectRegistryA(name.c_str(), HKEY_LOCAL_MACHINE, connected.out());
    if (result != ERROR_SUCCESS)
        return result;
    root = connected.get();
    return ERROR_SUCCESS;
}

bool readInteger(HKEY root, const std::string& key, const std::string& name, int& value)
{
    RegKey opened;
    if (platform::RegOpenKeyExA(root, keyPath(key).c_str(), 0, kReadAccess, opened.out()) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (platform::RegQueryValueExA(opened.get(), name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(&data),
                                   &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || size != sizeof data)
        return false;
    value = static_cast<int>(data);
    return true;
}

bool readString(HKEY root, const std::string& key, const std::string& name, std::string& value)
{
    RegKey opened;
    if (platform::RegOpenKeyExA(root, keyPath(key).c_str(), 0, kReadAccess, opened.out()) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = 0;
    if (platform::RegQueryValueExA(opened.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxStringValue)
        return false;
    std::vector<BYTE> data(size + 1, 0);
    if (platform::RegQueryValueExA(opened.get(), name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        return false;
    const std::size_t usable = std::min<std::size_t>(size, data.size());
    const void* nul = std::memchr(data.data(), 0, usable);
    const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const BYTE*>(nul) - data.data()) : usable;
    value.assign(reinterpret_cast<const char*>(data.data()), length);
    return true;
}

void writeInteger(HKEY root, const std::string& key, const std::string& name, int value)
{
    RegKey opened;
    DWORD disposition = 0;
    LONG result = platform::RegCreateKeyExA(root, keyPath(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                            kWriteAccess, nullptr, opened.out(), &disposition);
    if (result != ERROR_SUCCESS)
        RaiseRegistryError(result);
    const auto data = static_cast<DWORD>(value);
    result = platform::RegSetValueExA(opened.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                      sizeof data);
    if (result != ERROR_SUCCESS)
        RaiseRegistryError(result);
}

} // namespace

int RegReadInteger(const std::string& machine, const std::string& key, const std::string& name, int defaultValue)
{
    RegKey connected;
    HKEY root = nullptr;
    if (machineRoot(machine, connected, root) != ERROR_SUCCESS)
        return defaultValue;
    int value = 0;
    return readInteger(root, key, name, value) ? value : defaultValue;
}

void RegReadString(const std::string& machine, const std::string& key, const std::string& name, std::string& value,
                   const std::string& defaultValue)
{
    RegKey connected;
    HKEY root = nullptr;
    std::string read;
    if (machineRoot(machine, connected, root) == ERROR_SUCCESS && readString(root, key, name, read))
        value = read;
    else
        value = defaultValue;
}

void RegWriteInteger(const std::string& machine, const std::string& key, const std::string& name, int value)
{
    RegKey connected;
    HKEY root = nullptr;
    if (const LONG result = machineRoot(machine, connected, root); result != ERROR_SUCCESS)
        RaiseRegistryError(result);
    writeInteger(root, key, name, value);
}

void GetSystemRoot(const std::string& machine, const std::string& defaultValue, std::string& value)
{
    RegReadString(machine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", value, defaultValue);
}

int RegReadFlag(const std::string& key, const std::string& name, int defaultValue)
{
    int value = 0;
    return readInteger(HKEY_CURRENT_USER, key, name, value) ? value : defaultValue;
}

void RegWriteFlag(const std::string& key, const std::string& name, int value)
{
    writeInteger(HKEY_CURRENT_USER, key, name, value);
}
