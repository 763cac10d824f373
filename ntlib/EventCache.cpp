#include "EventCache.h"

#include "platform/Kernel32.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

// ---------------------------------------------------------------- TCacheRegion

TCacheRegion::TCacheRegion(std::size_t bytes)
    : data_(static_cast<std::byte*>(VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)))
    , size_(bytes)
{
    if (!data_)
        throw std::bad_alloc();
}

TCacheRegion::TCacheRegion(TCacheRegion&& other) noexcept
    : data_(other.data_)
    , size_(other.size_)
{
    other.data_ = nullptr;
    other.size_ = 0;
}

TCacheRegion& TCacheRegion::operator=(TCacheRegion&& other) noexcept
{
    if (this != &other) {
        if (data_)
            VirtualFree(data_, 0, MEM_RELEASE);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

TCacheRegion::~TCacheRegion()
{
    if (data_)
        VirtualFree(data_, 0, MEM_RELEASE);
}

// ---------------------------------------------------------------- TEventCache

TEventCache::~TEventCache()
{
    Clear();
}

std::size_t TEventCache::nextRegionSize(std::size_t regions)
{
    constexpr auto kDoublings = static_cast<std::size_t>(std::countr_zero(kLargestRegion / kFirstRegion));
    return kFirstRegion << std::min(regions, kDoublings);
}

TEventItem& TEventCache::NewItem(TNTEventLog* owner)
{
    if (itemRegions_.empty() || itemsInLastRegion_ == itemCapacity(itemRegions_.size() - 1)) {
        itemRegions_.emplace_back(nextRegionSize(itemRegions_.size()));
        itemsInLastRegion_ = 0;
    }
    TEventItem* item = std::construct_at(itemAt(itemRegions_.size() - 1, itemsInLastRegion_), owner);
    ++itemsInLastRegion_;
    item->cached_ = true;
    return *item;
}

TEventItem* TEventCache::KeepNewest()
{
    TEventItem* item = newest();
    const DWORD number = item->RecordNumber;
    const DWORD k = number - base_;
    TEventItem** slot = nullptr;
    if (k < slotCount_)
        slot = &slots_[k];
    else
        slot = &outside_.try_emplace(number, nullptr).first->second;
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
    if (--itemsInLastRegion_ == 0) {
        itemRegions_.pop_back();
        itemsInLastRegion_ = itemRegions_.empty() ? 0 : itemCapacity(itemRegions_.size() - 1);
    }
}

TEventItem* TEventCache::Find(DWORD recordNumber) const
{
    const DWORD k = recordNumber - base_;
    if (k < slotCount_)
        return slots_[k];
    if (outside_.empty())
        return nullptr;
    const auto it = outside_.find(recordNumber);
    return it == outside_.end() ? nullptr : it->second;
}

void TEventCache::Clear()
{
    for (std::size_t r = 0; r < itemRegions_.size(); ++r) {
        const std::size_t n = r + 1 == itemRegions_.size() ? itemsInLastRegion_ : itemCapacity(r);
        for (std::size_t i = 0; i < n; ++i)
            std::destroy_at(itemAt(r, i));
    }
    itemRegions_.clear();
    itemsInLastRegion_ = 0;
    blockRegions_.clear();
    largeBlocks_.clear();
    blockNext_ = nullptr;
    lastBlock_ = nullptr;
    blockRoom_ = 0;
    slotRegion_ = TCacheRegion();
    slots_ = nullptr;
    slotCount_ = 0;
    outside_.clear();
    sharedBlocks_.clear();
    sharedMemo_.fill(nullptr);
    base_ = 0;
    count_ = 0;
}

std::size_t TEventCache::StorageBytes() const
{
    std::size_t bytes = slotRegion_.size();
    for (const TCacheRegion& r : itemRegions_)
        bytes += r.size();
    for (const TCacheRegion& r : blockRegions_)
        bytes += r.size();
    for (const TCacheRegion& r : largeBlocks_)
        bytes += r.size();
    return bytes;
}

void TEventCache::Reserve(DWORD first, std::size_t count)
{
    if (count == 0 || count <= slotCount_)
        return;
    if (count_ == 0 && outside_.empty()) {
        base_ = first;
    } else if (first != base_) {
        return;
    }
    TCacheRegion grown(count * sizeof(TEventItem*)); // zeroed: no item yet
    if (slotCount_ != 0)
        std::memcpy(grown.data(), slots_, slotCount_ * sizeof(TEventItem*));
    slotRegion_ = std::move(grown);
    slots_ = reinterpret_cast<TEventItem**>(slotRegion_.data());
    slotCount_ = count;
}

BYTE* TEventCache::AllocateBlock(std::size_t bytes)
{
    bytes = (bytes + 3) & ~std::size_t{3};
    if (bytes > blockRoom_) {
        const std::size_t size = nextRegionSize(blockRegions_.size());
        if (bytes > size / 4) { // a large block has a region of its own
            largeBlocks_.emplace_back(bytes);
            lastBlock_ = nullptr;
            return reinterpret_cast<BYTE*>(largeBlocks_.back().data());
        }
        blockRegions_.emplace_back(size);
        blockNext_ = reinterpret_cast<BYTE*>(blockRegions_.back().data());
        blockRoom_ = size;
    }
    BYTE* block = blockNext_;
    lastBlock_ = block;
    blockNext_ += bytes;
    blockRoom_ -= bytes;
    return block;
}

void TEventCache::TrimLastBlock(BYTE* block, std::size_t allocated, std::size_t kept)
{
    allocated = (allocated + 3) & ~std::size_t{3};
    kept = (kept + 3) & ~std::size_t{3};
    if (block != lastBlock_ || kept > allocated || block + allocated != blockNext_)
        return; // a large block of its own keeps its region
    blockNext_ = block + kept;
    blockRoom_ += allocated - kept;
}

TEventBytes TEventCache::SharedBytes(const BYTE* bytes, std::size_t length)
{
    if (length == 0)
        return {};
    const std::string_view key(reinterpret_cast<const char*>(bytes), length);
    // SIDs of one domain differ in their last sub-authority.
    std::uint32_t tail = 0;
    std::memcpy(&tail, bytes + length - std::min<std::size_t>(length, 4), std::min<std::size_t>(length, 4));
    const std::size_t slot = ((tail ^ static_cast<std::uint32_t>(length)) * 0x9E3779B1u) >> 26; // 0 .. 63
    const TEventBytes*& memo = sharedMemo_[slot % sharedMemo_.size()];
    if (memo && memo->size() == length && std::memcmp(memo->data(), bytes, length) == 0)
        return TEventBytes::SameBlock(*memo);
    auto it = sharedBlocks_.find(key);
    if (it == sharedBlocks_.end()) {
        if (sharedBlocks_.size() >= kMostSharedBlocks)
            return TEventBytes::Pack(bytes, length, this); // so many distinct ones are not worth sharing
        TEventBytes packed = TEventBytes::Pack(bytes, length, this);
        const std::string_view packedKey(reinterpret_cast<const char*>(packed.data()), length);
        it = sharedBlocks_.emplace(packedKey, std::move(packed)).first;
    }
    memo = &it->second;
    return TEventBytes::SameBlock(it->second);
}
