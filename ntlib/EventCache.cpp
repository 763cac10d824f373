#include "EventCache.h"

#include <memory>

TEventCache::~TEventCache()
{
    Clear();
}

TEventItem& TEventCache::NewItem(TNTEventLog* owner)
{
    if (itemChunks_.empty() || itemsInLastChunk_ == kItemsPerChunk) {
        itemChunks_.push_back(std::make_unique_for_overwrite<ItemSlot[]>(kItemsPerChunk));
        itemsInLastChunk_ = 0;
    }
    TEventItem* item = std::construct_at(itemAt(itemChunks_.size() - 1, itemsInLastChunk_), owner);
    ++itemsInLastChunk_;
    item->cached_ = true;
    return *item;
}

TEventItem* TEventCache::KeepNewest()
{
    TEventItem* item = newest();
    const DWORD number = item->RecordNumber;
    const DWORD k = number - base_;
    TEventItem** slot = nullptr;
    if (k < slots_.size()) {
        slot = &slots_[k];
    } else {
        slot = &outside_.try_emplace(number, nullptr).first->second;
    }
    if (*slot) {
        DropNewest();
        return *slot;
    }
    *slot = item;
    ++count_;
    return item;
}

void TEventCache::DropNewest()
{
    std::destroy_at(newest());
    if (--itemsInLastChunk_ == 0) {
        itemChunks_.pop_back();
        itemsInLastChunk_ = itemChunks_.empty() ? 0 : kItemsPerChunk;
    }
}

TEventItem* TEventCache::Find(DWORD recordNumber) const
{
    const DWORD k = recordNumber - base_;
    if (k < slots_.size())
        return slots_[k];
    if (outside_.empty())
        return nullptr;
    const auto it = outside_.find(recordNumber);
    return it == outside_.end() ? nullptr : it->second;
}

void TEventCache::Clear()
{
    for (std::size_t c = 0; c < itemChunks_.size(); ++c) {
        const std::size_t n = c + 1 == itemChunks_.size() ? itemsInLastChunk_ : kItemsPerChunk;
        for (std::size_t i = 0; i < n; ++i)
            std::destroy_at(itemAt(c, i));
    }
    itemChunks_.clear();
    itemsInLastChunk_ = 0;
    blockChunks_.clear();
    largeBlocks_.clear();
    largeBytes_ = 0;
    blockNext_ = nullptr;
    blockRoom_ = 0;
    std::vector<TEventItem*>().swap(slots_);
    outside_.clear();
    base_ = 0;
    count_ = 0;
}

std::size_t TEventCache::StorageBytes() const
{
    return itemChunks_.size() * kItemsPerChunk * sizeof(ItemSlot) + blockChunks_.size() * kBlockChunkBytes +
           largeBytes_ + slots_.capacity() * sizeof(TEventItem*);
}

void TEventCache::Reserve(DWORD first, std::size_t count)
{
    if (count_ == 0 && outside_.empty()) {
        base_ = first;
        slots_.assign(count, nullptr);
    } else if (first == base_ && count > slots_.size()) {
        slots_.resize(count, nullptr);
    }
}

BYTE* TEventCache::AllocateBlock(std::size_t bytes)
{
    bytes = (bytes + 3) & ~std::size_t{3};
    if (bytes > blockRoom_) {
        if (bytes > kBlockChunkBytes / 4) { // a large block gets a chunk of its own
            largeBlocks_.push_back(std::make_unique_for_overwrite<std::uint32_t[]>(bytes / 4));
            largeBytes_ += bytes;
            return reinterpret_cast<BYTE*>(largeBlocks_.back().get());
        }
        blockChunks_.push_back(std::make_unique_for_overwrite<std::uint32_t[]>(kBlockChunkBytes / 4));
        blockNext_ = reinterpret_cast<BYTE*>(blockChunks_.back().get());
        blockRoom_ = kBlockChunkBytes;
    }
    BYTE* block = blockNext_;
    blockNext_ += bytes;
    blockRoom_ -= bytes;
    return block;
}
