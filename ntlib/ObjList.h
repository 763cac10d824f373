#pragma once
// The library's own list of objects: it may own its items (and then frees
// them when they are deleted, cleared or the list is destroyed) and keeps
// them sorted by a comparison given with each call, with a binary search
// that finds the leftmost of equal items.
//
// Whether a list owns its items is fixed when it is made: an owning list
// takes items as std::unique_ptr, a list that does not own them takes plain
// pointers, and handing an item of the other kind is refused, so an item is
// never freed twice nor lost.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

template <class T>
class TObjectList {
public:
    // Compares a list item with a key: negative when the item sorts before
    // the key, 0 when they are equal, positive when it sorts after.
    using TCompare = std::function<int(const T* item, const T* key)>;

    // `value` is only kept.  A new list owns its items (unless told not to)
    // and accepts duplicates (mode 1).
    explicit TObjectList(std::int32_t value = 0, bool ownsItems = true)
        : value_(value)
        , ownsItems_(ownsItems)
    {
    }
    virtual ~TObjectList() = default;
    TObjectList(const TObjectList&) = delete;
    TObjectList& operator=(const TObjectList&) = delete;

    bool OwnsItems() const { return ownsItems_; }
    std::int32_t CreationValue() const { return value_; }

    // 1: equal items are accepted and Find gives the leftmost of them; any
    // other value: Find stops at the first equal item it meets.
    std::uint8_t Duplicates() const { return duplicates_; }
    void SetDuplicates(std::uint8_t mode) { duplicates_ = mode; }

    int GetCount() const { return static_cast<int>(items_.size()); }
    T* Items(int index) const
    {
        return items_[static_cast<std::size_t>(checkedIndex(index, GetCount() - 1))].get();
    }

    // Inserts before `index` (0 to count); null items are allowed.
    void Insert(int index, std::unique_ptr<T> item)
    {
        if (!ownsItems_)
            throw std::logic_error("TObjectList: an item handed over to a list that does not own its items");
        insertSlot(index, Slot(item.release(), Release{true}));
    }
    void Insert(int index, T* item)
    {
        if (ownsItems_)
            throw std::logic_error("TObjectList: an item not handed over to a list that owns its items");
        insertSlot(index, Slot(item, Release{false}));
    }

    // Binary search for `key`.  True when an equal item was met; `index` is
    // then the leftmost equal item (mode 1), otherwise the place where the
    // key goes to keep the order.
    bool Find(const T* key, const TCompare& compare, int& index) const
    {
        int low = 0;
        int high = GetCount() - 1;
        bool found = false;
        while (high >= low) {
            const int middle = low + (high - low) / 2;
            const int c = compare(items_[static_cast<std::size_t>(middle)].get(), key);
            if (c < 0) {
                low = middle + 1;
            } else {
                high = middle - 1;
                if (c == 0) {
                    found = true;
                    if (duplicates_ != 1)
                        low = middle;
                }
            }
        }
        index = low;
        return found;
    }

    // Inserts an item where Find puts it (before the items equal to it) and
    // returns its index.
    int AddSorted(std::unique_ptr<T> item, const TCompare& compare)
    {
        int index = 0;
        Find(item.get(), compare, index);
        Insert(index, std::move(item));
        return index;
    }
    int AddSorted(T* item, const TCompare& compare)
    {
        int index = 0;
        Find(item, compare, index);
        Insert(index, item);
        return index;
    }

    // Removes one slot, freeing its item when the list owns it.
    virtual void Delete(int index)
    {
        items_.erase(items_.begin() + checkedIndex(index, GetCount() - 1));
    }

    // Removes every slot, freeing the items when the list owns them.
    virtual void Clear() { items_.clear(); }

private:
    struct Release {
        bool owned;
        void operator()(T* item) const
        {
            if (owned)
                std::default_delete<T>()(item);
        }
    };
    using Slot = std::unique_ptr<T, Release>;

    static std::ptrdiff_t checkedIndex(int index, int last)
    {
        if (index < 0 || index > last)
            throw std::out_of_range("TObjectList: index " + std::to_string(index) + " out of bounds");
        return index;
    }

    void insertSlot(int index, Slot slot)
    {
        items_.insert(items_.begin() + checkedIndex(index, GetCount()), std::move(slot));
    }

    std::uint8_t duplicates_ = 1;
    std::int32_t value_;
    bool ownsItems_;
    std::vector<Slot> items_;
};
