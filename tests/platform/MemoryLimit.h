#pragma once
// Allocations that fail on purpose, for the tests of what the platform does
// when memory runs out.  A test executable that links MemoryLimit.cpp has
// its global operator new replaced: inside a ScopedMemoryLimit, on the
// thread that made it, an allocation that the limit does not allow throws
// std::bad_alloc, as it would in a process out of memory.  (An address-space
// limit cannot stand in for this under AddressSanitizer, whose allocator
// ends the process instead of failing the allocation.)

#include <cstddef>
#include <limits>

struct MemoryLimit {
    // Allocations of more bytes than this fail.
    std::size_t largest = std::numeric_limits<std::size_t>::max();
    // After this many allocations have succeeded, every further one fails.
    std::size_t allocations = std::numeric_limits<std::size_t>::max();
};

// Limits do not nest.
class ScopedMemoryLimit {
public:
    explicit ScopedMemoryLimit(MemoryLimit limit);
    ~ScopedMemoryLimit();
    ScopedMemoryLimit(const ScopedMemoryLimit&) = delete;
    ScopedMemoryLimit& operator=(const ScopedMemoryLimit&) = delete;

    // How many allocations failed in the scope so far.
    std::size_t Refused() const;
};
