#include "ComputerList.h"
#include "RegKey.h"

#include "ntlib/NTException.h"

#include "platform/ErrorCodes.h"
#include "platform/Registry.h"

#include <algorithm>
#include <cstring>

namespace {

// The values and subkeys, and WRITE_DAC: what the list's key is opened with.
constexpr REGSAM kListAccess = 0x4001F;
// A value name or a text larger than this is taken as damaged.
constexpr DWORD kMaxValueName = 16384;
constexpr DWORD kMaxText = 1u << 20;

LONG openList(RegKey& key)
{
    DWORD disposition = 0;
    return platform::RegCreateKeyExA(HKEY_CURRENT_USER, kComputersTreeKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     kListAccess, nullptr, key.out(), &disposition);
}

// The names of the key's values in the registry's order.
std::vector<std::string> valueNames(HKEY key)
{
    std::vector<std::string> names;
    std::vector<char> buffer(kMaxValueName + 1);
    for (DWORD index = 0;; ++index) {
        DWORD size = static_cast<DWORD>(buffer.size());
        const LONG result =
            platform::RegEnumValueA(key, index, buffer.data(), &size, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
            RaiseRegistryError(result);
        names.emplace_back(buffer.data(), std::min<std::size_t>(size, kMaxValueName));
    }
    return names;
}

// The text of a value; false when it is missing, not text or too large.
bool readText(HKEY key, const std::string& name, std::string& text)
{
    DWORD type = 0;
    DWORD size = 0;
    if (platform::RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxText)
        return false;
    std::vector<BYTE> data(size + 1, 0);
    if (platform::RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        return false;
    const std::size_t usable = std::min<std::size_t>(size, data.size());
    const void* nul = std::memchr(data.data(), 0, usable);
    const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const BYTE*>(nul) - data.data()) : usable;
    text.assign(reinterpret_cast<const char*>(data.data()), length);
    return true;
}

} // namespace

std::vector<std::string> ReadComputerList()
{
    std::vector<std::string> computers;
    RegKey key;
    if (openList(key) != ERROR_SUCCESS)
        return computers;
    for (const std::string& name : valueNames(key.get())) {
        if (name.rfind("Comp", 0) != 0)
            continue;
        std::string text;
        if (readText(key.get(), name, text) && !text.empty())
            computers.push_back(text);
    }
    return computers;
}

void WriteComputerList(const std::vector<std::string>& names)
{
    RegKey key;
    if (const LONG result = openList(key); result != ERROR_SUCCESS)
        RaiseRegistryError(result);
    for (const std::string& old : valueNames(key.get()))
        if (const LONG result = platform::RegDeleteValueA(key.get(), old.c_str()); result != ERROR_SUCCESS)
            RaiseRegistryError(result);
    for (std::size_t n = 0; n < names.size(); ++n) {
        const std::string value = "Comp" + std::to_string(n);
        const std::string& text = names[n];
        const LONG result = platform::RegSetValueExA(key.get(), value.c_str(), 0, REG_SZ,
                                                     reinterpret_cast<const BYTE*>(text.c_str()),
                                                     static_cast<DWORD>(text.size() + 1));
        if (result != ERROR_SUCCESS)
            RaiseRegistryError(result);
    }
}
