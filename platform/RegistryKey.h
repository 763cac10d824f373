#pragma once
// One key of a registry in memory: its subkeys and its values.
//
// Names of keys and values are kept as given and compared without regard to
// case (ASCII letters; other characters compare exactly).  Subkeys are
// enumerated in the order of their upper-cased names, as the platform's
// registry enumerates them; values in the order they were first set.
// Value data are kept as the "A" functions hand them out: text in UTF-8.

#include "Win32Types.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The form in which names are compared.
std::string RegistryNameKey(std::string_view name);

struct RegistryValue {
    std::string name; // empty: the key's default value
    DWORD type = 0;
    std::vector<BYTE> data;
};

class RegistryKey {
public:
    explicit RegistryKey(std::string name = {});
    RegistryKey(const RegistryKey& other);
    RegistryKey& operator=(const RegistryKey& other);
    RegistryKey(RegistryKey&&) noexcept = default;
    RegistryKey& operator=(RegistryKey&&) noexcept = default;
    ~RegistryKey();

    const std::string& Name() const { return name_; }

    // --- subkeys ---
    RegistryKey* FindSubKey(std::string_view name);
    const RegistryKey* FindSubKey(std::string_view name) const;
    // The subkey, created (with this key's write time) when missing.
    RegistryKey& CreateSubKey(std::string_view name, bool* created = nullptr);
    bool DeleteSubKey(std::string_view name);
    std::size_t SubKeyCount() const { return subKeys_.size(); }
    // In enumeration order; index below SubKeyCount().
    const RegistryKey& SubKeyAt(std::size_t index) const;

    // The key at a path of names below this one, or null.
    const RegistryKey* Find(const std::vector<std::string>& path) const;
    RegistryKey* Find(const std::vector<std::string>& path);

    // --- values ---
    const RegistryValue* FindValue(std::string_view name) const;
    // Replaces the data and type of an existing value in its place, or adds
    // the value at the end.
    void SetValue(std::string_view name, DWORD type, std::vector<BYTE> data);
    bool DeleteValue(std::string_view name);
    std::size_t ValueCount() const { return values_.size(); }
    const RegistryValue& ValueAt(std::size_t index) const { return values_.at(index); }

    const FILETIME& LastWriteTime() const { return lastWrite_; }
    void SetLastWriteTime(const FILETIME& time) { lastWrite_ = time; }
    // Sets the write time of this key and of every key below it.
    void SetLastWriteTimeRecursive(const FILETIME& time);

private:
    void rebuildOrder() const;
    void rebuildValueIndex();

    std::string name_;
    FILETIME lastWrite_{};
    std::map<std::string, std::unique_ptr<RegistryKey>> subKeys_; // by RegistryNameKey
    mutable std::vector<const RegistryKey*> order_;                // subKeys_ by index, rebuilt on demand
    mutable bool orderValid_ = true;
    std::vector<RegistryValue> values_;
    std::map<std::string, std::size_t> valueIndex_; // RegistryNameKey -> position in values_
};

// The current time as a file time (100 ns since 1601-01-01 UTC).
FILETIME CurrentFileTime();

} // namespace platform
