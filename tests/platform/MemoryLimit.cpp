#include "MemoryLimit.h"

#include <cstdlib>
#include <new>

namespace {

struct ThreadLimit {
    bool active = false;
    MemoryLimit limit;
    std::size_t allowed = 0; // allocations that succeeded in the scope
    std::size_t refused = 0;
};

thread_local ThreadLimit t_limit;

void* allocate(std::size_t size)
{
    ThreadLimit& t = t_limit;
    if (t.active) {
        if (size > t.limit.largest || t.allowed >= t.limit.allocations) {
            ++t.refused;
            throw std::bad_alloc();
        }
        ++t.allowed;
    }
    if (void* p = std::malloc(size != 0 ? size : 1))
        return p;
    throw std::bad_alloc();
}

void* allocateNoThrow(std::size_t size) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace

ScopedMemoryLimit::ScopedMemoryLimit(MemoryLimit limit)
{
    t_limit = ThreadLimit{true, limit, 0, 0};
}

ScopedMemoryLimit::~ScopedMemoryLimit()
{
    t_limit = ThreadLimit{};
}

std::size_t ScopedMemoryLimit::Refused() const
{
    return t_limit.refused;
}

// The replaceable global allocation functions (the aligned ones are left to
// the library: nothing under test uses them).
void* operator new(std::size_t size)
{
    return allocate(size);
}
void* operator new[](std::size_t size)
{
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return allocateNoThrow(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return allocateNoThrow(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
