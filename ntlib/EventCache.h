#pragma once
// The decoded items of one reader, found by record number, and the storage
// of their parts.  The cache owns the items and everything their packed
// parts point into: an item handed out stays valid until the cache is
// cleared, and clearing frees them all at once, in a few large blocks.

#include "EventItem.h"
#include "EventText.h"

#include "platform/Win32Types.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class TNTEventLog;

class TEventCache final : public TEventBlockStorage {
public:
    TEventCache() = default;
    ~TEventCache();
    TEventCache(const TEventCache&) = delete;
    TEventCache& operator=(const TEventCache&) = delete;

    // A new item made in the cache's storage.  Find does not see it until
    // it is kept.
    TEventItem& NewItem(TNTEventLog* owner);
    // Makes the newest item findable by its record number and returns the
    // cached item of that number: when one was cached already, that one
    // stays and the new one is freed.
    TEventItem* KeepNewest();
    // Frees the newest item, which is not kept.
    void DropNewest();

    TEventItem* Find(DWORD recordNumber) const;
    // Frees every item and the storage of their parts.
    void Clear();
    // The number of items that Find sees.
    std::size_t Count() const { return count_; }
    // The bytes of storage the cache holds for its items and their parts.
    std::size_t StorageBytes() const;
    // Makes room for `count` items with the record numbers from `first` on;
    // a cache that holds items keeps the room it has.
    void Reserve(DWORD first, std::size_t count);

    // Storage for the packed parts of the items (4-byte aligned).
    BYTE* AllocateBlock(std::size_t bytes) override;

private:
    struct alignas(TEventItem) ItemSlot {
        std::byte raw[sizeof(TEventItem)];
    };
    static constexpr std::size_t kItemsPerChunk = 4096;
    static constexpr std::size_t kBlockChunkBytes = 256 * 1024;

    TEventItem* itemAt(std::size_t chunk, std::size_t i) const
    {
        return reinterpret_cast<TEventItem*>(itemChunks_[chunk][i].raw);
    }
    TEventItem* newest() const { return itemAt(itemChunks_.size() - 1, itemsInLastChunk_ - 1); }

    std::vector<std::unique_ptr<ItemSlot[]>> itemChunks_;
    std::size_t itemsInLastChunk_ = 0;
    std::vector<std::unique_ptr<std::uint32_t[]>> blockChunks_;
    std::vector<std::unique_ptr<std::uint32_t[]>> largeBlocks_;
    std::size_t largeBytes_ = 0;
    BYTE* blockNext_ = nullptr;
    std::size_t blockRoom_ = 0;

    // Record number -> item: a dense table for the numbers from base_ on,
    // a map for any others.
    DWORD base_ = 0;
    std::vector<TEventItem*> slots_;
    std::unordered_map<DWORD, TEventItem*> outside_;
    std::size_t count_ = 0;
};
