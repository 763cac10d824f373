#include "HandleTable.h"

#include <mutex>
#include <unordered_map>

namespace platform {
namespace {

struct Table {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
    std::uintptr_t next = 0x100;
};

Table& table()
{
    static Table t;
    return t;
}

} // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object)
{
    Table& t = table();
    std::lock_guard lock(t.mutex);
    const std::uintptr_t value = t.next;
    t.next += 4; // handle values are multiples of four, as the platform's are
    t.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle)
{
    Table& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE handle)
{
    std::shared_ptr<KernelObject> removed; // released outside the lock
    Table& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == t.objects.end())
        return false;
    removed = std::move(it->second);
    t.objects.erase(it);
    return true;
}

} // namespace platform
