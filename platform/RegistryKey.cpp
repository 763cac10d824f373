#include "RegistryKey.h"

#include "AsciiText.h"

#include <chrono>
#include <utility>

namespace platform {

std::string RegistryNameKey(std::string_view name)
{
    return AsciiUpper(name);
}

FILETIME CurrentFileTime()
{
    // 11644473600 seconds lie between 1601-01-01 and 1970-01-01.
    using namespace std::chrono;
    const auto since1970 = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    const std::uint64_t ticks = static_cast<std::uint64_t>(since1970 / 100) + 116444736000000000ULL;
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

RegistryKey::RegistryKey(std::string name)
    : name_(std::move(name))
{
}

RegistryKey::RegistryKey(const RegistryKey& other)
    : name_(other.name_)
    , lastWrite_(other.lastWrite_)
    , orderValid_(false)
    , values_(other.values_)
    , valueIndex_(other.valueIndex_)
{
    for (const auto& [key, child] : other.subKeys_)
        subKeys_.emplace(key, std::make_unique<RegistryKey>(*child));
}

RegistryKey& RegistryKey::operator=(const RegistryKey& other)
{
    if (this != &other) {
        RegistryKey copy(other);
        *this = std::move(copy);
    }
    return *this;
}

RegistryKey::~RegistryKey() = default;

RegistryKey* RegistryKey::FindSubKey(std::string_view name)
{
    auto it = subKeys_.find(RegistryNameKey(name));
    return it == subKeys_.end() ? nullptr : it->second.get();
}

const RegistryKey* RegistryKey::FindSubKey(std::string_view name) const
{
    auto it = subKeys_.find(RegistryNameKey(name));
    return it == subKeys_.end() ? nullptr : it->second.get();
}

RegistryKey& RegistryKey::CreateSubKey(std::string_view name, bool* created)
{
    const std::string key = RegistryNameKey(name);
    auto it = subKeys_.find(key);
    if (it != subKeys_.end()) {
        if (created)
            *created = false;
        return *it->second;
    }
    auto child = std::make_unique<RegistryKey>(std::string(name));
    child->lastWrite_ = lastWrite_;
    RegistryKey& result = *child;
    subKeys_.emplace(key, std::move(child));
    orderValid_ = false;
    if (created)
        *created = true;
    return result;
}

bool RegistryKey::DeleteSubKey(std::string_view name)
{
    if (subKeys_.erase(RegistryNameKey(name)) == 0)
        return false;
    orderValid_ = false;
    return true;
}

void RegistryKey::rebuildOrder() const
{
    if (orderValid_)
        return;
    order_.clear();
    order_.reserve(subKeys_.size());
    for (const auto& entry : subKeys_)
        order_.push_back(entry.second.get());
    orderValid_ = true;
}

const RegistryKey& RegistryKey::SubKeyAt(std::size_t index) const
{
    rebuildOrder();
    return *order_.at(index);
}

const RegistryKey* RegistryKey::Find(const std::vector<std::string>& path) const
{
    const RegistryKey* key = this;
    for (const std::string& name : path) {
        key = key->FindSubKey(name);
        if (!key)
            return nullptr;
    }
    return key;
}

RegistryKey* RegistryKey::Find(const std::vector<std::string>& path)
{
    return const_cast<RegistryKey*>(std::as_const(*this).Find(path));
}

const RegistryValue* RegistryKey::FindValue(std::string_view name) const
{
    auto it = valueIndex_.find(RegistryNameKey(name));
    return it == valueIndex_.end() ? nullptr : &values_[it->second];
}

void RegistryKey::SetValue(std::string_view name, DWORD type, std::vector<BYTE> data)
{
    const std::string key = RegistryNameKey(name);
    auto it = valueIndex_.find(key);
    if (it != valueIndex_.end()) {
        RegistryValue& value = values_[it->second];
        value.type = type;
        value.data = std::move(data);
        return;
    }
    valueIndex_.emplace(key, values_.size());
    values_.push_back(RegistryValue{std::string(name), type, std::move(data)});
}

bool RegistryKey::DeleteValue(std::string_view name)
{
    auto it = valueIndex_.find(RegistryNameKey(name));
    if (it == valueIndex_.end())
        return false;
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(it->second));
    rebuildValueIndex();
    return true;
}

void RegistryKey::rebuildValueIndex()
{
    valueIndex_.clear();
    for (std::size_t i = 0; i < values_.size(); ++i)
        valueIndex_.emplace(RegistryNameKey(values_[i].name), i);
}

void RegistryKey::SetLastWriteTimeRecursive(const FILETIME& time)
{
    lastWrite_ = time;
    for (auto& entry : subKeys_)
        entry.second->SetLastWriteTimeRecursive(time);
}

} // namespace platform
