#include "Kernel32.h"

#include <map>
#include <new>
#include <memory>
#include <mutex>

// Local memory blocks are kept in a table of their own, so that LocalFree of
// a pointer that LocalAlloc did not hand out (or handed out and took back
// already) fails as the platform's does instead of corrupting the heap.
namespace {

struct LocalHeap {
    std::mutex mutex;
    std::map<const void*, std::unique_ptr<std::byte[]>> blocks;
};

LocalHeap& localHeap()
{
    static LocalHeap heap;
    return heap;
}

} // namespace

HLOCAL LocalAlloc(UINT flags, std::size_t bytes)
{
    if (flags & ~(LMEM_FIXED | LMEM_ZEROINIT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A block of zero bytes still has an address of its own.  Blocks are
    // always zeroed, which LMEM_ZEROINIT asks for and LMEM_FIXED allows.
    std::unique_ptr<std::byte[]> block;
    try {
        block = std::make_unique<std::byte[]>(bytes == 0 ? 1 : bytes);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    void* address = block.get();
    LocalHeap& heap = localHeap();
    std::lock_guard lock(heap.mutex);
    heap.blocks.emplace(address, std::move(block));
    return address;
}

HLOCAL LocalFree(HLOCAL memory)
{
    if (!memory)
        return nullptr;
    LocalHeap& heap = localHeap();
    std::lock_guard lock(heap.mutex);
    if (heap.blocks.erase(memory) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return memory;
    }
    return nullptr;
}
