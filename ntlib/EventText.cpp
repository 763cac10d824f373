#include "EventText.h"

#include "platform/Utf16Text.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <ostream>

namespace {

std::uintptr_t ownedCopy(std::string_view text)
{
    if (text.empty())
        return 0;
    return reinterpret_cast<std::uintptr_t>(std::make_unique<std::string>(text).release());
}

} // namespace

// ---------------------------------------------------------------- TEventText

const std::string& TEventText::emptyText() noexcept
{
    static const std::string empty;
    return empty;
}

TEventText::TEventText(std::string_view text)
{
    if (const std::uintptr_t copy = ownedCopy(text))
        bits_ = copy | kOwned;
}

TEventText::TEventText(const TEventText& other)
    : TEventText(std::string_view(other.str()))
{
}

TEventText& TEventText::operator=(const TEventText& other)
{
    if (this != &other)
        *this = TEventText(other);
    return *this;
}

void TEventText::freeOwned() noexcept
{
    std::unique_ptr<std::string>(reinterpret_cast<std::string*>(bits_ & ~kOwned)).reset();
}

bool operator==(const TEventText& a, const TEventText& b) noexcept
{
    return &a.str() == &b.str() || a.str() == b.str();
}

bool operator==(const TEventText& a, std::string_view b) noexcept
{
    return std::string_view(a.str()) == b;
}

bool operator==(const TEventText& a, const std::string& b) noexcept
{
    return a.str() == b;
}

bool operator==(const TEventText& a, const char* b) noexcept
{
    return a.str() == b;
}

std::ostream& operator<<(std::ostream& out, const TEventText& text)
{
    return out << text.str();
}

// ---------------------------------------------------------------- TEventBlock

std::uint32_t* TEventBlock::allocate(std::size_t words, TEventBlockStorage* storage)
{
    release();
    std::uint32_t* block = nullptr;
    if (storage) {
        block = reinterpret_cast<std::uint32_t*>(storage->AllocateBlock(words * sizeof(std::uint32_t)));
        bits_ = reinterpret_cast<std::uintptr_t>(block);
    } else {
        block = std::make_unique_for_overwrite<std::uint32_t[]>(words).release();
        bits_ = reinterpret_cast<std::uintptr_t>(block) | kOwned;
    }
    return block;
}

void TEventBlock::copyFrom(const TEventBlock& other, std::size_t words)
{
    if (this == &other)
        return;
    if (!other.block()) {
        release();
        return;
    }
    const std::uint32_t* from = other.block();
    std::uint32_t* to = allocate(words, nullptr);
    std::memcpy(to, from, words * sizeof(std::uint32_t));
}

void TEventBlock::moveFrom(TEventBlock& other) noexcept
{
    if (this == &other)
        return;
    release();
    bits_ = other.bits_;
    other.bits_ = 0;
}

void TEventBlock::release() noexcept
{
    if (bits_ & kOwned)
        freeOwned();
    bits_ = 0;
}

void TEventBlock::freeOwned() noexcept
{
    std::unique_ptr<std::uint32_t[]>(reinterpret_cast<std::uint32_t*>(bits_ & ~kOwned)).reset();
}

// ---------------------------------------------------------------- TEventStrings

TEventStrings::TEventStrings(const std::vector<std::string>& strings)
{
    std::vector<std::uint32_t> ends;
    std::string text;
    ends.reserve(strings.size());
    for (const std::string& s : strings) {
        text.append(s.data(), s.size());
        ends.push_back(static_cast<std::uint32_t>(text.size()));
        text.push_back('\0');
    }
    *this = Pack(text.data(), text.size(), ends.data(), ends.size(), nullptr);
}

TEventStrings::TEventStrings(const TEventStrings& other)
    : TEventBlock()
{
    copyFrom(other, other.words());
}

TEventStrings::TEventStrings(TEventStrings&& other) noexcept
    : TEventBlock()
{
    moveFrom(other);
}

TEventStrings& TEventStrings::operator=(const TEventStrings& other)
{
    copyFrom(other, other.words());
    return *this;
}

TEventStrings& TEventStrings::operator=(TEventStrings&& other) noexcept
{
    moveFrom(other);
    return *this;
}

TEventStrings TEventStrings::Pack(const char* text, std::size_t bytes, const std::uint32_t* ends, std::size_t count,
                                  TEventBlockStorage* storage)
{
    TEventStrings strings;
    if (count == 0)
        return strings;
    std::uint32_t* block = strings.allocate(1 + count + (bytes + 3) / 4, storage);
    block[0] = static_cast<std::uint32_t>(count);
    std::memcpy(block + 1, ends, count * sizeof(std::uint32_t));
    std::memcpy(block + 1 + count, text, bytes);
    return strings;
}

bool TEventStrings::ConvertUtf16Le(const BYTE* text, const BYTE* end, std::size_t count,
                                   TEventBlockStorage& storage, TEventStrings& strings)
{
    if (count == 0) {
        strings.clear();
        return true;
    }
    // Room for the most the texts can take; the rest is given back.
    const std::size_t head = (1 + count) * sizeof(std::uint32_t);
    const std::size_t allocated = (head + MaxUtf8Bytes(static_cast<std::size_t>(end - text)) + 3) & ~std::size_t{3};
    BYTE* const block = storage.AllocateBlock(allocated);
    auto* const words = reinterpret_cast<std::uint32_t*>(block);
    BYTE* const out = block + head;
    BYTE* const outEnd = block + allocated;
    BYTE* w = out;
    if (!ConvertUtf16LeTexts(text, end, count, w, outEnd, words + 1)) {
        storage.TrimLastBlock(block, allocated, 0);
        return false;
    }
    words[0] = static_cast<std::uint32_t>(count);
    while ((w - block) % 4 != 0)
        *w++ = 0;
    storage.TrimLastBlock(block, allocated, static_cast<std::size_t>(w - block));
    strings.adopt(words);
    return true;
}

bool TEventStrings::ConvertUtf16LeTexts(const BYTE* text, const BYTE* end, std::size_t count, BYTE*& out,
                                        BYTE* outEnd, std::uint32_t* ends)
{
    BYTE* const start = out;
    BYTE* w = out;
    const BYTE* at = text;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t units = 0;
        if (platform::ConvertUtf16LeText(at, end, w, outEnd, units) != platform::TextConversion::Done)
            return false; // unterminated: the room always fits
        ends[i] = static_cast<std::uint32_t>(w - start);
        *w++ = 0;
        at += 2 * (units + 1);
    }
    out = w;
    return true;
}

std::size_t TEventStrings::words() const noexcept
{
    const std::size_t count = size();
    if (count == 0)
        return 0;
    const std::size_t bytes = std::size_t{block()[count]} + 1; // the last string's NUL
    return 1 + count + (bytes + 3) / 4;
}

TEventString TEventStrings::operator[](std::size_t i) const noexcept
{
    const std::uint32_t* b = block();
    const std::size_t count = b[0];
    const char* text = reinterpret_cast<const char*>(b + 1 + count);
    const std::uint32_t begin = i == 0 ? 0 : b[i] + 1; // after the NUL of the string before
    return std::string_view(text + begin, b[1 + i] - begin);
}

std::vector<std::string> TEventStrings::ToVector() const
{
    std::vector<std::string> strings;
    strings.reserve(size());
    for (TEventString s : *this)
        strings.push_back(s.str());
    return strings;
}

bool operator==(const TEventStrings& a, const TEventStrings& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](std::string_view x, std::string_view y) { return x == y; });
}

bool operator==(const TEventStrings& a, const std::vector<std::string>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](std::string_view x, std::string_view y) { return x == y; });
}

std::ostream& operator<<(std::ostream& out, const TEventStrings& strings)
{
    out << '{';
    bool first = true;
    for (TEventString s : strings) {
        out << (first ? "\"" : ", \"") << std::string_view(s) << '"';
        first = false;
    }
    return out << '}';
}

// ---------------------------------------------------------------- TEventBytes

TEventBytes::TEventBytes(const std::vector<BYTE>& bytes)
{
    *this = Pack(bytes.data(), bytes.size(), nullptr);
}

TEventBytes::TEventBytes(const TEventBytes& other)
    : TEventBlock()
{
    copyFrom(other, other.words());
}

TEventBytes::TEventBytes(TEventBytes&& other) noexcept
    : TEventBlock()
{
    moveFrom(other);
}

TEventBytes& TEventBytes::operator=(const TEventBytes& other)
{
    copyFrom(other, other.words());
    return *this;
}

TEventBytes& TEventBytes::operator=(TEventBytes&& other) noexcept
{
    moveFrom(other);
    return *this;
}

TEventBytes TEventBytes::Pack(const BYTE* bytes, std::size_t length, TEventBlockStorage* storage)
{
    TEventBytes block;
    if (length == 0)
        return block;
    std::uint32_t* b = block.allocate(1 + (length + 3) / 4, storage);
    b[0] = static_cast<std::uint32_t>(length);
    std::memcpy(b + 1, bytes, length);
    return block;
}

TEventBytes TEventBytes::SameBlock(const TEventBytes& packed)
{
    if (!packed.IsShared())
        return packed;
    TEventBytes same;
    same.adopt(const_cast<std::uint32_t*>(packed.block())); // blocks in storage are never written again
    return same;
}

bool operator==(const TEventBytes& a, const TEventBytes& b) noexcept
{
    return a.size() == b.size() && (a.size() == 0 || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

bool operator==(const TEventBytes& a, const std::vector<BYTE>& b) noexcept
{
    return a.size() == b.size() && (a.size() == 0 || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

std::ostream& operator<<(std::ostream& out, const TEventBytes& bytes)
{
    static const char kHex[] = "0123456789ABCDEF";
    out << '{';
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out << (i ? " " : "") << kHex[bytes[i] >> 4] << kHex[bytes[i] & 15];
    return out << '}';
}
