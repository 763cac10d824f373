#include "Registry.h"

#include "ErrorCodes.h"
#include "ModuleTables.h"
#include "RegistryFile.h"
#include "Site.h"
#include "UserDirectories.h"
#include "Utf8Text.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

namespace platform {
namespace {

// Generic rights as a key maps them.
constexpr REGSAM kGenericRead = 0x80000000;
constexpr REGSAM kGenericWrite = 0x40000000;
constexpr REGSAM kGenericExecute = 0x20000000;
constexpr REGSAM kGenericAll = 0x10000000;
constexpr REGSAM kMaximumAllowed = 0x02000000;

REGSAM mappedAccess(REGSAM desired)
{
    REGSAM access = desired & 0x000F003F;
    if (desired & (kGenericRead | kGenericExecute))
        access |= KEY_READ;
    if (desired & kGenericWrite)
        access |= KEY_WRITE;
    if (desired & (kGenericAll | kMaximumAllowed))
        access |= KEY_ALL_ACCESS;
    return access;
}

// An open key: the hive it lies in, its path below the hive's root and the
// rights it was opened with.
struct OpenKey {
    std::shared_ptr<RegistryStore> store;
    std::vector<std::string> path;
    REGSAM access = 0;
};

struct KeyTable {
    std::mutex mutex;
    std::map<std::uintptr_t, OpenKey> keys;
    std::uintptr_t next = 0x1000;
};

KeyTable& keyTable()
{
    static KeyTable table;
    return table;
}

HKEY insertKey(OpenKey key)
{
    KeyTable& t = keyTable();
    std::lock_guard lock(t.mutex);
    const std::uintptr_t value = t.next;
    t.next += 4;
    t.keys.emplace(value, std::move(key));
    return reinterpret_cast<HKEY>(value);
}

struct UserRegistry {
    std::mutex mutex;
    std::shared_ptr<RegistryStore> store;
};

UserRegistry& userRegistry()
{
    static UserRegistry r;
    return r;
}

// The open key behind a handle (predefined ones included).
DWORD lookupKey(HKEY handle, OpenKey& key)
{
    if (handle == HKEY_LOCAL_MACHINE) {
        key = OpenKey{CurrentSite()->LocalComputer().machineRegistry, {}, KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    }
    if (handle == HKEY_CURRENT_USER) {
        key = OpenKey{CurrentUserRegistry(), {}, KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    }
    KeyTable& t = keyTable();
    std::lock_guard lock(t.mutex);
    const auto it = t.keys.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == t.keys.end())
        return ERROR_INVALID_HANDLE;
    key = it->second;
    return ERROR_SUCCESS;
}

// The open key behind a handle, when it was opened with `right`.
DWORD lookupKeyWith(HKEY handle, REGSAM right, OpenKey& key)
{
    if (const DWORD code = lookupKey(handle, key))
        return code;
    return key.access & right ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

std::string nameOf(LPCSTR name)
{
    return name ? utf8::Sanitized(name) : std::string();
}

// The names of a path below a key; empty names between backslashes are
// skipped.  ERROR_BAD_PATHNAME for a path that starts with a backslash.
DWORD splitPath(LPCSTR subKey, std::vector<std::string>& names)
{
    names.clear();
    if (!subKey || !*subKey)
        return ERROR_SUCCESS;
    if (subKey[0] == '\\')
        return ERROR_BAD_PATHNAME;
    const std::string path = nameOf(subKey);
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start)
            names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

// The open key behind a handle and the names of a path below it.
DWORD lookupPath(HKEY handle, LPCSTR subKey, OpenKey& base, std::vector<std::string>& names)
{
    if (const DWORD code = lookupKey(handle, base))
        return code;
    return splitPath(subKey, names);
}

// The key `names` below `base`, opened for `desired` rights.
OpenKey below(const OpenKey& base, const std::vector<std::string>& names, REGSAM desired)
{
    OpenKey opened{base.store, base.path, mappedAccess(desired)};
    opened.path.insert(opened.path.end(), names.begin(), names.end());
    return opened;
}

bool hasLineBreak(const std::string& name)
{
    return name.find_first_of("\r\n") != std::string::npos;
}

// Copies a name with its NUL into a buffer of `size` characters; on
// success `size` becomes the length without the NUL.
DWORD copyName(const std::string& name, LPSTR buffer, LPDWORD size)
{
    if (name.size() + 1 > *size)
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *size = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// Keys have no class: an empty class name where the caller asks for it.
DWORD copyNoClassName(LPSTR className, LPDWORD classSize)
{
    if (className && classSize) {
        if (*classSize == 0)
            return ERROR_MORE_DATA;
        className[0] = '\0';
        *classSize = 0;
    }
    return ERROR_SUCCESS;
}

// Hands out value data the platform's way.
DWORD copyData(const std::vector<BYTE>& data, LPBYTE buffer, LPDWORD size)
{
    if (!size)
        return ERROR_SUCCESS;
    const auto needed = static_cast<DWORD>(data.size());
    if (buffer) {
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        if (needed)
            std::memcpy(buffer, data.data(), needed);
    }
    *size = needed;
    return ERROR_SUCCESS;
}

// Runs `read` on the key that an open key stands for.
DWORD readKey(const OpenKey& open, const std::function<DWORD(const RegistryKey&)>& read)
{
    if (!open.store)
        return ERROR_INVALID_HANDLE;
    return open.store->Read([&](const RegistryKey& root) -> DWORD {
        const RegistryKey* key = root.Find(open.path);
        return key ? read(*key) : ERROR_KEY_DELETED;
    });
}

DWORD changeKey(const OpenKey& open, const std::function<DWORD(RegistryKey&, bool&)>& change)
{
    if (!open.store)
        return ERROR_INVALID_HANDLE;
    return open.store->Modify([&](RegistryKey& root, bool& changed) -> DWORD {
        RegistryKey* key = root.Find(open.path);
        return key ? change(*key, changed) : ERROR_KEY_DELETED;
    });
}

LONG asLong(DWORD code)
{
    return static_cast<LONG>(code);
}

} // namespace

LONG RegConnectRegistryA(LPCSTR machineName, HKEY key, PHKEY result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    const auto site = CurrentSite();
    const SiteComputer* computer = nullptr;
    if (const DWORD code = ReachComputer(*site, machineName, RemoteService::Registry, computer))
        return asLong(code);
    std::shared_ptr<RegistryStore> store;
    if (key == HKEY_LOCAL_MACHINE)
        store = computer->machineRegistry;
    else if (key == HKEY_CURRENT_USER && site->IsLocal(machineName))
        store = CurrentUserRegistry();
    else
        return ERROR_INVALID_HANDLE;
    *result = insertKey(OpenKey{store, {}, KEY_ALL_ACCESS});
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD /*options*/, REGSAM desired, PHKEY result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    OpenKey base;
    std::vector<std::string> names;
    if (const DWORD code = lookupPath(key, subKey, base, names))
        return asLong(code);
    const DWORD code = readKey(base, [&](const RegistryKey& start) -> DWORD {
        return start.Find(names) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
    if (code)
        return asLong(code);
    *result = insertKey(below(base, names, desired));
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD /*reserved*/, LPSTR /*className*/, DWORD /*options*/,
                     REGSAM desired, const SECURITY_ATTRIBUTES* /*securityAttributes*/, PHKEY result,
                     LPDWORD disposition)
{
    if (!result || !subKey)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    OpenKey base;
    std::vector<std::string> names;
    if (const DWORD code = lookupPath(key, subKey, base, names))
        return asLong(code);
    if (base.path.size() + names.size() > kMaxRegistryDepth)
        return ERROR_INVALID_PARAMETER;
    for (const std::string& name : names)
        if (utf8::CodePointCount(name) > kMaxRegistryKeyNameLength || hasLineBreak(name))
            return ERROR_INVALID_PARAMETER;
    bool created = false;
    const DWORD code = changeKey(base, [&](RegistryKey& start, bool& changed) -> DWORD {
        if (start.Find(names))
            return ERROR_SUCCESS;
        if (!(base.access & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        const FILETIME now = CurrentFileTime();
        RegistryKey* current = &start;
        for (const std::string& name : names) {
            bool added = false;
            RegistryKey& next = current->CreateSubKey(name, &added);
            if (added) {
                current->SetLastWriteTime(now);
                next.SetLastWriteTime(now);
            }
            current = &next;
        }
        created = changed = true;
        return ERROR_SUCCESS;
    });
    if (code)
        return asLong(code);
    *result = insertKey(below(base, names, desired));
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key)
{
    if (key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER || key == HKEY_CLASSES_ROOT || key == HKEY_USERS)
        return ERROR_SUCCESS;
    KeyTable& t = keyTable();
    std::lock_guard lock(t.mutex);
    return t.keys.erase(reinterpret_cast<std::uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD /*reserved*/, LPSTR className,
                   LPDWORD classSize, FILETIME* lastWriteTime)
{
    if (!name || !nameSize)
        return ERROR_INVALID_PARAMETER;
    OpenKey open;
    if (const DWORD code = lookupKeyWith(key, KEY_ENUMERATE_SUB_KEYS, open))
        return asLong(code);
    return asLong(readKey(open, [&](const RegistryKey& k) -> DWORD {
        if (index >= k.SubKeyCount())
            return ERROR_NO_MORE_ITEMS;
        const RegistryKey& sub = k.SubKeyAt(index);
        if (const DWORD code = copyName(sub.Name(), name, nameSize))
            return code;
        if (const DWORD code = copyNoClassName(className, classSize))
            return code;
        if (lastWriteTime)
            *lastWriteTime = sub.LastWriteTime();
        return ERROR_SUCCESS;
    }));
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD /*reserved*/, LPDWORD type,
                   LPBYTE data, LPDWORD dataSize)
{
    if (!valueName || !valueNameSize || (data && !dataSize))
        return ERROR_INVALID_PARAMETER;
    OpenKey open;
    if (const DWORD code = lookupKeyWith(key, KEY_QUERY_VALUE, open))
        return asLong(code);
    return asLong(readKey(open, [&](const RegistryKey& k) -> DWORD {
        if (index >= k.ValueCount())
            return ERROR_NO_MORE_ITEMS;
        const RegistryValue& value = k.ValueAt(index);
        if (const DWORD code = copyName(value.name, valueName, valueNameSize))
            return code;
        if (type)
            *type = value.type;
        return copyData(value.data, data, dataSize);
    }));
}

LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classSize, LPDWORD /*reserved*/, LPDWORD subKeys,
                      LPDWORD maxSubKeyLen, LPDWORD maxClassLen, LPDWORD values, LPDWORD maxValueNameLen,
                      LPDWORD maxValueLen, LPDWORD securityDescriptor, FILETIME* lastWriteTime)
{
    OpenKey open;
    if (const DWORD code = lookupKeyWith(key, KEY_QUERY_VALUE, open))
        return asLong(code);
    return asLong(readKey(open, [&](const RegistryKey& k) -> DWORD {
        if (const DWORD code = copyNoClassName(className, classSize))
            return code;
        std::size_t longestSubKey = 0, longestName = 0, largestData = 0;
        for (std::size_t i = 0; i < k.SubKeyCount(); ++i)
            longestSubKey = std::max(longestSubKey, k.SubKeyAt(i).Name().size());
        for (std::size_t i = 0; i < k.ValueCount(); ++i) {
            longestName = std::max(longestName, k.ValueAt(i).name.size());
            largestData = std::max(largestData, k.ValueAt(i).data.size());
        }
        if (subKeys)
            *subKeys = static_cast<DWORD>(k.SubKeyCount());
        if (maxSubKeyLen)
            *maxSubKeyLen = static_cast<DWORD>(longestSubKey);
        if (maxClassLen)
            *maxClassLen = 0;
        if (values)
            *values = static_cast<DWORD>(k.ValueCount());
        if (maxValueNameLen)
            *maxValueNameLen = static_cast<DWORD>(longestName);
        if (maxValueLen)
            *maxValueLen = static_cast<DWORD>(largestData);
        if (securityDescriptor)
            *securityDescriptor = 0;
        if (lastWriteTime)
            *lastWriteTime = k.LastWriteTime();
        return ERROR_SUCCESS;
    }));
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD /*reserved*/, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    if (data && !dataSize)
        return ERROR_INVALID_PARAMETER;
    OpenKey open;
    if (const DWORD code = lookupKeyWith(key, KEY_QUERY_VALUE, open))
        return asLong(code);
    const std::string name = nameOf(valueName);
    return asLong(readKey(open, [&](const RegistryKey& k) -> DWORD {
        const RegistryValue* value = k.FindValue(name);
        if (!value)
            return ERROR_FILE_NOT_FOUND;
        if (type)
            *type = value->type;
        return copyData(value->data, data, dataSize);
    }));
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD /*reserved*/, DWORD type, const BYTE* data, DWORD dataSize)
{
    if (!data && dataSize)
        return ERROR_INVALID_PARAMETER;
    OpenKey open;
    if (const DWORD code = lookupKeyWith(key, KEY_SET_VALUE, open))
        return asLong(code);
    const std::string name = nameOf(valueName);
    if (utf8::CodePointCount(name) > kMaxRegistryValueNameLength || hasLineBreak(name))
        return ERROR_INVALID_PARAMETER;
    std::vector<BYTE> bytes(data, data + dataSize);
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        const std::string text =
            utf8::Sanitized(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        bytes.assign(text.begin(), text.end());
    }
    return asLong(changeKey(open, [&](RegistryKey& k, bool& changed) -> DWORD {
        k.SetValue(name, type, std::move(bytes));
        k.SetLastWriteTime(CurrentFileTime());
        changed = true;
        return ERROR_SUCCESS;
    }));
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName)
{
    OpenKey open;
    if (const DWORD code = lookupKeyWith(key, KEY_SET_VALUE, open))
        return asLong(code);
    const std::string name = nameOf(valueName);
    return asLong(changeKey(open, [&](RegistryKey& k, bool& changed) -> DWORD {
        if (!k.DeleteValue(name))
            return ERROR_FILE_NOT_FOUND;
        k.SetLastWriteTime(CurrentFileTime());
        changed = true;
        return ERROR_SUCCESS;
    }));
}

void SetCurrentUserRegistryFile(const std::string& path)
{
    UserRegistry& r = userRegistry();
    std::lock_guard lock(r.mutex);
    r.store = std::make_shared<RegistryStore>(path, "HKEY_CURRENT_USER");
}

void ResetCurrentUserRegistry()
{
    UserRegistry& r = userRegistry();
    std::lock_guard lock(r.mutex);
    r.store.reset();
}

std::shared_ptr<RegistryStore> CurrentUserRegistry()
{
    UserRegistry& r = userRegistry();
    std::lock_guard lock(r.mutex);
    if (!r.store)
        r.store = std::make_shared<RegistryStore>(CurrentUserRegistryFileFromEnvironment(), "HKEY_CURRENT_USER");
    return r.store;
}

std::vector<ModuleExport> RegistryExports()
{
    return {
        {"RegConnectRegistryA", ExportOf(&RegConnectRegistryA)},
        {"RegOpenKeyExA", ExportOf(&RegOpenKeyExA)},
        {"RegCreateKeyExA", ExportOf(&RegCreateKeyExA)},
        {"RegCloseKey", ExportOf(&RegCloseKey)},
        {"RegEnumKeyExA", ExportOf(&RegEnumKeyExA)},
        {"RegEnumValueA", ExportOf(&RegEnumValueA)},
        {"RegQueryInfoKeyA", ExportOf(&RegQueryInfoKeyA)},
        {"RegQueryValueExA", ExportOf(&RegQueryValueExA)},
        {"RegSetValueExA", ExportOf(&RegSetValueExA)},
        {"RegDeleteValueA", ExportOf(&RegDeleteValueA)},
    };
}

} // namespace platform
