#pragma once
// The texts and byte blocks of an event item, as small handles.
//
// An item that a reader's cache holds points into storage of its reader:
// its source, computer, category and user texts are shared with every other
// event of the same text (TEventTextPool), and its insertion strings, data
// and SID lie packed in the cache's storage (TEventCache); such an item
// frees nothing of its own, and the cache frees all of it at once.  A handle
// set in any other way (an item made on its own, an assignment, a copy)
// owns a copy of what it shows, so a copy never depends on a reader.

#include "platform/Win32Types.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// One text: a std::string shared from a pool, or a copy of its own.
class TEventText {
public:
    TEventText() noexcept = default;
    explicit TEventText(std::string_view text);
    TEventText(const TEventText& other);
    TEventText(TEventText&& other) noexcept
        : bits_(other.bits_)
    {
        other.bits_ = 0;
    }
    TEventText& operator=(const TEventText& other);
    TEventText& operator=(TEventText&& other) noexcept
    {
        if (this != &other) {
            release();
            bits_ = other.bits_;
            other.bits_ = 0;
        }
        return *this;
    }
    TEventText& operator=(std::string_view text) { return *this = TEventText(text); }
    TEventText& operator=(const std::string& text) { return *this = TEventText(std::string_view(text)); }
    TEventText& operator=(const char* text) { return *this = TEventText(std::string_view(text ? text : "")); }
    ~TEventText()
    {
        if (bits_ & kOwned)
            freeOwned();
    }

    // A handle on a text that stays where it is (a pool's, a constant's)
    // for as long as the handle is used.
    static TEventText Shared(const std::string& text) noexcept
    {
        TEventText shared;
        shared.bits_ = reinterpret_cast<std::uintptr_t>(&text);
        return shared;
    }

    const std::string& str() const noexcept
    {
        return bits_ ? *reinterpret_cast<const std::string*>(bits_ & ~kOwned) : emptyText();
    }
    operator const std::string&() const noexcept { return str(); }
    const char* c_str() const noexcept { return str().c_str(); }
    const char* data() const noexcept { return str().data(); }
    std::size_t size() const noexcept { return str().size(); }
    bool empty() const noexcept { return str().empty(); }
    bool IsShared() const noexcept { return bits_ != 0 && (bits_ & kOwned) == 0; }
    void clear() noexcept { release(); }

private:
    static constexpr std::uintptr_t kOwned = 1;
    static const std::string& emptyText() noexcept;
    void release() noexcept
    {
        if (bits_ & kOwned)
            freeOwned();
        bits_ = 0;
    }
    void freeOwned() noexcept;

    std::uintptr_t bits_ = 0; // the std::string's address; kOwned when this handle owns it
};

bool operator==(const TEventText& a, const TEventText& b) noexcept;
bool operator==(const TEventText& a, std::string_view b) noexcept;
bool operator==(const TEventText& a, const std::string& b) noexcept;
bool operator==(const TEventText& a, const char* b) noexcept;
std::ostream& operator<<(std::ostream& out, const TEventText& text);

// Where packed strings and byte blocks are put: 4-byte aligned storage that
// lives as long as the handles that point into it.
class TEventBlockStorage {
public:
    virtual BYTE* AllocateBlock(std::size_t bytes) = 0;
    // Gives back the end of the block allocated last, keeping its first
    // `kept` bytes; storage that cannot keeps the whole block.
    virtual void TrimLastBlock(BYTE* block, std::size_t allocated, std::size_t kept)
    {
        (void)block;
        (void)allocated;
        (void)kept;
    }

protected:
    ~TEventBlockStorage() = default;
};

// A packed block of 32-bit words, in storage (shared) or of its own.
class TEventBlock {
public:
    TEventBlock() noexcept = default;
    TEventBlock(const TEventBlock&) = delete;
    TEventBlock& operator=(const TEventBlock&) = delete;
    bool IsShared() const noexcept { return bits_ != 0 && (bits_ & kOwned) == 0; }

protected:
    ~TEventBlock()
    {
        if (bits_ & kOwned)
            freeOwned();
    }
    const std::uint32_t* block() const noexcept { return reinterpret_cast<const std::uint32_t*>(bits_ & ~kOwned); }
    // Room for a block of `words` words: in storage, or (null) of its own.
    std::uint32_t* allocate(std::size_t words, TEventBlockStorage* storage);
    // A copy of another block of `words` words, of its own.
    void copyFrom(const TEventBlock& other, std::size_t words);
    void moveFrom(TEventBlock& other) noexcept;
    // Points at a block in storage.
    void adopt(std::uint32_t* block) noexcept
    {
        release();
        bits_ = reinterpret_cast<std::uintptr_t>(block);
    }
    void release() noexcept;

private:
    static constexpr std::uintptr_t kOwned = 1;
    void freeOwned() noexcept;
    std::uintptr_t bits_ = 0; // the block's address; kOwned when this handle owns it
};

// One insertion string: a view of its text, which converts to std::string.
class TEventString : public std::string_view {
public:
    constexpr TEventString(std::string_view text) noexcept
        : std::string_view(text)
    {
    }
    operator std::string() const { return std::string(data(), size()); }
    std::string str() const { return std::string(data(), size()); }

    friend bool operator==(const TEventString& a, const TEventString& b) noexcept
    {
        return std::string_view(a) == std::string_view(b);
    }
    friend bool operator==(const TEventString& a, std::string_view b) noexcept { return std::string_view(a) == b; }
    friend bool operator==(const TEventString& a, const std::string& b) noexcept
    {
        return std::string_view(a) == std::string_view(b);
    }
    friend bool operator==(const TEventString& a, const char* b) noexcept
    {
        return std::string_view(a) == std::string_view(b);
    }
};

// The insertion strings of an event, in record order.  Packed in one block:
// the count, the end of each string, then the strings with their NULs.
class TEventStrings : public TEventBlock {
public:
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = TEventString;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = TEventString;

        const_iterator() = default;
        const_iterator(const TEventStrings* strings, std::size_t i)
            : strings_(strings)
            , i_(i)
        {
        }
        TEventString operator*() const { return (*strings_)[i_]; }
        TEventString operator[](difference_type n) const { return (*strings_)[i_ + static_cast<std::size_t>(n)]; }
        const_iterator& operator++() { ++i_; return *this; }
        const_iterator operator++(int) { auto at = *this; ++i_; return at; }
        const_iterator& operator--() { --i_; return *this; }
        const_iterator operator--(int) { auto at = *this; --i_; return at; }
        const_iterator& operator+=(difference_type n) { i_ += static_cast<std::size_t>(n); return *this; }
        const_iterator& operator-=(difference_type n) { i_ -= static_cast<std::size_t>(n); return *this; }
        friend const_iterator operator+(const_iterator a, difference_type n) { return a += n; }
        friend const_iterator operator+(difference_type n, const_iterator a) { return a += n; }
        friend const_iterator operator-(const_iterator a, difference_type n) { return a -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b)
        {
            return static_cast<difference_type>(a.i_) - static_cast<difference_type>(b.i_);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.i_ == b.i_; }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.i_ <=> b.i_; }

    private:
        const TEventStrings* strings_ = nullptr;
        std::size_t i_ = 0;
    };
    using iterator = const_iterator;
    using value_type = TEventString;
    using size_type = std::size_t;

    TEventStrings() noexcept = default;
    explicit TEventStrings(const std::vector<std::string>& strings);
    TEventStrings(const TEventStrings& other);
    TEventStrings(TEventStrings&& other) noexcept;
    TEventStrings& operator=(const TEventStrings& other);
    TEventStrings& operator=(TEventStrings&& other) noexcept;

    // `count` NUL-terminated strings laid end to end at `text` (the NUL of
    // the last one at text[bytes - 1]), ending at the given offsets from
    // `text`; packed into storage, or into a block of the handle's own when
    // storage is null.
    static TEventStrings Pack(const char* text, std::size_t bytes, const std::uint32_t* ends, std::size_t count,
                              TEventBlockStorage* storage);
    // `count` UTF-16LE texts laid end to end from `text`, each ending in its
    // NUL before `end`, converted to UTF-8 straight into storage; false
    // (and `strings` untouched) when one of them runs past `end`.
    static bool ConvertUtf16Le(const BYTE* text, const BYTE* end, std::size_t count, TEventBlockStorage& storage,
                               TEventStrings& strings);
    // The conversion itself: the texts written end to end at `out`, each
    // with its NUL, whose offset from `out` goes to `ends`; `out` is moved
    // past the last NUL.  The room up to outEnd must take MaxUtf8Bytes of
    // the texts' bytes.  False when one of them runs past `end`.
    static bool ConvertUtf16LeTexts(const BYTE* text, const BYTE* end, std::size_t count, BYTE*& out, BYTE* outEnd,
                                    std::uint32_t* ends);
    // The most UTF-8 bytes ConvertUtf16Le needs for texts of `bytes` bytes
    // of UTF-16, their NULs with them.
    static constexpr std::size_t MaxUtf8Bytes(std::size_t bytes) { return bytes / 2 * 3 + 1; }

    std::size_t size() const noexcept { return block() ? block()[0] : 0; }
    bool empty() const noexcept { return size() == 0; }
    TEventString operator[](std::size_t i) const noexcept;
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }
    std::vector<std::string> ToVector() const;
    void clear() noexcept { release(); }

private:
    std::size_t words() const noexcept;
};

bool operator==(const TEventStrings& a, const TEventStrings& b);
bool operator==(const TEventStrings& a, const std::vector<std::string>& b);
std::ostream& operator<<(std::ostream& out, const TEventStrings& strings);

// A block of bytes (an event's data or its SID).  Packed as its length and
// then the bytes.
class TEventBytes : public TEventBlock {
public:
    using const_iterator = const BYTE*;
    using iterator = const BYTE*;
    using value_type = BYTE;
    using size_type = std::size_t;

    TEventBytes() noexcept = default;
    explicit TEventBytes(const std::vector<BYTE>& bytes);
    TEventBytes(const TEventBytes& other);
    TEventBytes(TEventBytes&& other) noexcept;
    TEventBytes& operator=(const TEventBytes& other);
    TEventBytes& operator=(TEventBytes&& other) noexcept;

    // A copy of `length` bytes, in storage or, when it is null, of its own.
    static TEventBytes Pack(const BYTE* bytes, std::size_t length, TEventBlockStorage* storage);
    // Another handle on the block of a handle packed into storage, which
    // must outlive it; a copy of its own for any other handle.
    static TEventBytes SameBlock(const TEventBytes& packed);

    std::size_t size() const noexcept { return block() ? block()[0] : 0; }
    bool empty() const noexcept { return size() == 0; }
    const BYTE* data() const noexcept { return block() ? reinterpret_cast<const BYTE*>(block() + 1) : nullptr; }
    BYTE operator[](std::size_t i) const noexcept { return data()[i]; }
    const BYTE* begin() const noexcept { return data(); }
    const BYTE* end() const noexcept { return data() + size(); }
    std::vector<BYTE> ToVector() const { return std::vector<BYTE>(begin(), end()); }
    void clear() noexcept { release(); }

private:
    std::size_t words() const noexcept { return 1 + (size() + 3) / 4; }
};

bool operator==(const TEventBytes& a, const TEventBytes& b) noexcept;
bool operator==(const TEventBytes& a, const std::vector<BYTE>& b) noexcept;
std::ostream& operator<<(std::ostream& out, const TEventBytes& bytes);
