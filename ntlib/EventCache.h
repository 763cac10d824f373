#pragma once
// The decoded items of one reader, found by record number, and the storage
// of their parts.  The cache owns the items and everything their packed
// parts point into: an item handed out stays valid until the cache is
// cleared, and clearing frees them all at once, in a few large regions.
//
// The regions come straight from the system and grow with the cache, the
// large ones in large pages: a million events cost a few hundred page
// faults instead of some fifty thousand.

#include "EventItem.h"
#include "EventText.h"

#include "platform/Win32Types.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

class TNTEventLog;

// A region of zeroed memory from the system, freed with the object.
class TCacheRegion {
public:
    TCacheRegion() = default;
    explicit TCacheRegion(std::size_t bytes); // throws std::bad_alloc
    TCacheRegion(TCacheRegion&& other) noexcept;
    TCacheRegion& operator=(TCacheRegion&& other) noexcept;
    ~TCacheRegion();

    std::byte* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    std::byte* data_ = nullptr;
    std::size_t size_ = 0;
};

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

    // Bytes packed into the storage once for every item that has the same
    // bytes (a log has few distinct user SIDs): the items share the block.
    TEventBytes SharedBytes(const BYTE* bytes, std::size_t length);

    // Storage for the packed parts of the items (4-byte aligned).
    BYTE* AllocateBlock(std::size_t bytes) override;
    void TrimLastBlock(BYTE* block, std::size_t allocated, std::size_t kept) override;

private:
    struct alignas(TEventItem) ItemSlot {
        std::byte raw[sizeof(TEventItem)];
    };
    // Regions grow from the first size to the largest, doubling (both
    // powers of two).
    static constexpr std::size_t kFirstRegion = 64 * 1024;
    static constexpr std::size_t kLargestRegion = 4 * 1024 * 1024;
    static std::size_t nextRegionSize(std::size_t regions);

    TEventItem* itemAt(std::size_t region, std::size_t i) const
    {
        return reinterpret_cast<TEventItem*>(itemRegions_[region].data()) + i;
    }
    std::size_t itemCapacity(std::size_t region) const { return itemRegions_[region].size() / sizeof(ItemSlot); }
    TEventItem* newest() const { return itemAt(itemRegions_.size() - 1, itemsInLastRegion_ - 1); }

    std::vector<TCacheRegion> itemRegions_;
    std::size_t itemsInLastRegion_ = 0;
    std::vector<TCacheRegion> blockRegions_;
    std::vector<TCacheRegion> largeBlocks_;
    BYTE* blockNext_ = nullptr;
    BYTE* lastBlock_ = nullptr; // of the regions above, for TrimLastBlock
    std::size_t blockRoom_ = 0;

    // Record number -> item: a dense table for the numbers from base_ on,
    // a map for any others.
    DWORD base_ = 0;
    TCacheRegion slotRegion_;
    TEventItem** slots_ = nullptr;
    std::size_t slotCount_ = 0;
    std::unordered_map<DWORD, TEventItem*> outside_;
    std::size_t count_ = 0;

    // The shared blocks, by their bytes (views of the blocks themselves),
    // up to kMostSharedBlocks of them; the ones met last in a small memo.
    static constexpr std::size_t kMostSharedBlocks = 4096;
    std::unordered_map<std::string_view, TEventBytes> sharedBlocks_;
    std::array<const TEventBytes*, 64> sharedMemo_{};
};
