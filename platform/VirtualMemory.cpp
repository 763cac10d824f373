#include "Kernel32.h"

#include <cstdint>
#include <map>
#include <mutex>

#include <sys/mman.h>
#include <unistd.h>

// The regions handed out, by address, so that VirtualFree knows their size
// and refuses addresses that VirtualAlloc did not hand out.
namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;

struct Regions {
    std::mutex mutex;
    std::map<const void*, std::size_t> sizes;
};

Regions& regions()
{
    static Regions r;
    return r;
}

} // namespace

LPVOID VirtualAlloc(LPVOID address, std::size_t size, DWORD allocationType, DWORD protect)
{
    if (address || size == 0 || allocationType != (MEM_COMMIT | MEM_RESERVE) || protect != PAGE_READWRITE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    size = (size + page - 1) / page * page;
    const bool large = size >= kLargePage;
    // A large region is mapped with room to spare, then cut to 2 MiB bounds.
    const std::size_t mapped = large ? size + kLargePage : size;
    void* p = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto* start = static_cast<std::byte*>(p);
    if (large) {
        const auto at = reinterpret_cast<std::uintptr_t>(start);
        auto* aligned = reinterpret_cast<std::byte*>((at + kLargePage - 1) & ~(kLargePage - 1));
        if (aligned > start)
            ::munmap(start, static_cast<std::size_t>(aligned - start));
        if (const std::size_t tail = static_cast<std::size_t>(start + mapped - (aligned + size)))
            ::munmap(aligned + size, tail);
        start = aligned;
        ::madvise(start, size, MADV_HUGEPAGE); // a hint: without it the pages are small
    }
    Regions& r = regions();
    std::lock_guard lock(r.mutex);
    r.sizes[start] = size;
    return start;
}

BOOL VirtualFree(LPVOID address, std::size_t size, DWORD freeType)
{
    if (size != 0 || freeType != MEM_RELEASE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::size_t length = 0;
    {
        Regions& r = regions();
        std::lock_guard lock(r.mutex);
        const auto it = r.sizes.find(address);
        if (it == r.sizes.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        length = it->second;
        r.sizes.erase(it);
    }
    ::munmap(address, length);
    return TRUE;
}
