#include "EventTextPool.h"

#include "platform/Utf16Text.h"

#include <cstring>
#include <functional>

std::size_t TEventTextPool::Hash::operator()(std::string_view text) const noexcept
{
    return std::hash<std::string_view>()(text);
}

namespace {

// A cheap hash of a few bytes of a text, for the memos.
std::size_t memoSlot(std::string_view text)
{
    std::size_t slot = text.size() * 131;
    if (!text.empty())
        slot += static_cast<unsigned char>(text.front()) * 31u + static_cast<unsigned char>(text.back()) * 7u +
                static_cast<unsigned char>(text[text.size() / 2]);
    return slot;
}

} // namespace

const std::string& TEventTextPool::InternUtf16(const unsigned char* text, std::size_t bytes)
{
    const std::string_view raw(reinterpret_cast<const char*>(text), bytes);
    auto& memo = utf16Memo_[memoSlot(raw) % kMemoSize];
    if (memo && memo->first.size() == bytes && std::memcmp(memo->first.data(), text, bytes) == 0)
        return *memo->second;
    auto it = utf16_.find(raw);
    if (it == utf16_.end())
        it = utf16_.emplace(std::string(raw), &Intern(platform::Utf8FromUtf16Le(text, bytes / 2))).first;
    memo = &*it;
    return *it->second;
}

const std::string& TEventTextPool::Intern(std::string_view text)
{
    const std::string*& memo = memo_[memoSlot(text) % kMemoSize];
    if (memo && *memo == text)
        return *memo;
    auto it = texts_.find(text);
    if (it == texts_.end())
        it = texts_.emplace(text).first;
    memo = &*it;
    return *it;
}

void TEventTextPool::Clear()
{
    memo_.fill(nullptr);
    utf16Memo_.fill(nullptr);
    utf16_.clear();
    texts_.clear();
}
