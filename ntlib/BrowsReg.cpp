#include "BrowsReg.h"

#include "AdvApi32.h"
#include "NTException.h"

#include "platform/ErrorCodes.h"
#include "platform/Kernel32.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

[[noreturn]] void raiseCode(LONG code)
{
    throw ENTException(FormatSystemError(static_cast<DWORD>(code)), code);
}

std::string upperCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); });
    return text;
}

} // namespace

TBrowseRegistry::TBrowseRegistry()
    : rootKey_(HKEY_LOCAL_MACHINE)
    , predefinedRoot_(HKEY_LOCAL_MACHINE)
{
}

TBrowseRegistry::~TBrowseRegistry()
{
    try {
        CloseRootKey();
    } catch (const ENTException&) {
        // The binding went away first: nothing is left to close.
    }
}

void TBrowseRegistry::CloseKey()
{
    if (currentKey_) {
        RegCloseKey(currentKey_);
        currentKey_ = nullptr;
    }
    currentPath_.clear();
}

void TBrowseRegistry::CloseRootKey()
{
    if (rootConnected_) {
        rootConnected_ = false;
        RegCloseKey(rootKey_);
        rootKey_ = predefinedRoot_;
    }
    CloseKey();
}

void TBrowseRegistry::SetRootKey(HKEY key)
{
    if (key == rootKey_)
        return;
    CloseRootKey();
    rootKey_ = key;
    predefinedRoot_ = key;
}

void TBrowseRegistry::ChangeKey(HKEY key, const std::string& path)
{
    CloseKey();
    currentKey_ = key;
    currentPath_ = path;
}

HKEY TBrowseRegistry::GetBaseKey(bool relative) const
{
    return currentKey_ && relative ? currentKey_ : rootKey_;
}

LONG TBrowseRegistry::OpenKey(const std::string& path)
{
    const bool relative = IsRelativeKey(path);
    const std::string subKey = relative ? path : path.substr(1);
    SetLastError(0);
    HKEY key = nullptr;
    const LONG code = RegOpenKeyExA(GetBaseKey(relative), subKey.c_str(), 0, access_, &key);
    if (code == ERROR_SUCCESS) {
        const std::string newPath = currentKey_ && relative ? currentPath_ + "\\" + subKey : subKey;
        ChangeKey(key, newPath);
    }
    return code;
}

void TBrowseRegistry::GetKeyNames(std::vector<std::string>& list)
{
    list.clear();
    std::vector<char> name(16384);
    for (DWORD index = 0;; ++index) {
        DWORD size = static_cast<DWORD>(name.size());
        const LONG code = RegEnumKeyExA(currentKey_, index, name.data(), &size, nullptr, nullptr, nullptr, nullptr);
        if (code == ERROR_NO_MORE_ITEMS)
            break;
        if (code != ERROR_SUCCESS)
            raiseCode(code);
        list.emplace_back(name.data(), std::min<std::size_t>(size, name.size()));
    }
}

void TBrowseRegistry::GetValueNames(std::vector<std::string>& list)
{
    list.clear();
    TRegKeyInfo info;
    if (!GetKeyInfo(info))
        return;
    std::vector<char> name(static_cast<std::size_t>(info.MaxValueLen) + 1);
    for (DWORD index = 0; index < info.NumValues; ++index) {
        DWORD size = static_cast<DWORD>(name.size());
        if (RegEnumValueA(currentKey_, index, name.data(), &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break; // the key changed under us: keep what was read
        list.emplace_back(name.data(), std::min<std::size_t>(size, name.size()));
    }
}

bool TBrowseRegistry::RegistryConnect(const std::string& computer)
{
    CloseRootKey();
    HKEY key = nullptr;
    const LONG code = RegConnectRegistryA(computer.c_str(), predefinedRoot_, &key);
    if (code != ERROR_SUCCESS) {
        // No root until the next connection: reading on would otherwise
        // read the local registry in place of the computer's.
        rootKey_ = nullptr;
        raiseCode(code);
    }
    rootKey_ = key;
    rootConnected_ = true;
    return true;
}

std::vector<BYTE> TBrowseRegistry::ReadValueData(const std::string& name, DWORD& size, DWORD& type)
{
    type = 0;
    if (size == 0)
        size = 255;
    std::vector<BYTE> buffer(size);
    DWORD length = size;
    LONG code = RegQueryValueExA(currentKey_, name.c_str(), nullptr, &type, buffer.data(), &length);
    if (code == ERROR_MORE_DATA) {
        buffer.assign(length, 0);
        code = RegQueryValueExA(currentKey_, name.c_str(), nullptr, &type, buffer.data(), &length);
    }
    if (code != ERROR_SUCCESS)
        raiseCode(code);
    buffer.resize(std::min<std::size_t>(length, buffer.size()));
    size = static_cast<DWORD>(buffer.size());
    return buffer;
}

std::string TBrowseRegistry::ReadString(const std::string& name)
{
    DWORD size = 0;
    DWORD type = 0;
    const std::vector<BYTE> data = ReadValueData(name, size, type);
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        const auto end = std::find(data.begin(), data.end(), BYTE{0});
        return std::string(data.begin(), end);
    }
    case REG_DWORD: {
        DWORD value = 0;
        std::memcpy(&value, data.data(), std::min<std::size_t>(data.size(), sizeof value));
        return std::to_string(value);
    }
    default:
        return {};
    }
}

bool TBrowseRegistry::GetKeyInfo(TRegKeyInfo& info)
{
    info = TRegKeyInfo{};
    return RegQueryInfoKeyA(currentKey_, nullptr, nullptr, nullptr, &info.NumSubKeys, &info.MaxSubKeyLen, nullptr,
                            &info.NumValues, &info.MaxValueLen, &info.MaxDataLen, nullptr,
                            &info.FileTime) == ERROR_SUCCESS;
}

bool IsRelativeKey(const std::string& path)
{
    return path.empty() || path.front() != '\\';
}

std::string SearchSourceKey(TBrowseRegistry& registry, const std::string& key, const std::string& source)
{
    if (registry.OpenKey(key) != ERROR_SUCCESS)
        return {};
    std::vector<std::string> names;
    registry.GetKeyNames(names);
    registry.CloseKey();
    const std::string wanted = upperCase(source);
    for (const std::string& name : names) {
        if (upperCase(name) == wanted)
            return key;
        std::string found = SearchSourceKey(registry, key + "\\" + name, source);
        if (!found.empty())
            return found;
    }
    return {};
}

std::string FindSourceLogKey(const std::string& computer, HKEY root, const std::string& startKey,
                             const std::string& source)
{
    TBrowseRegistry registry;
    registry.SetRootKey(root);
    if (!computer.empty())
        registry.RegistryConnect(computer);
    registry.SetAccess(KEY_ENUMERATE_SUB_KEYS);
    std::string key = startKey;
    if (!key.empty() && key.back() == '\\')
        key.pop_back();
    return SearchSourceKey(registry, key, source);
}

std::vector<std::string> EventLogNames(const std::string& computer)
{
    std::vector<std::string> names;
    TBrowseRegistry registry;
    registry.SetAccess(KEY_READ);
    try {
        if (!computer.empty())
            registry.RegistryConnect(computer);
    } catch (const ENTException&) {
        return names;
    }
    if (registry.OpenKey("SYSTEM\\CurrentControlSet\\Services\\EventLog\\") == ERROR_SUCCESS)
        registry.GetKeyNames(names);
    return names;
}
