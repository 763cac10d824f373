#include "EventTextPool.h"

#include <functional>

std::size_t TEventTextPool::Hash::operator()(std::string_view text) const noexcept
{
    return std::hash<std::string_view>()(text);
}

const std::string& TEventTextPool::Intern(std::string_view text)
{
    std::size_t slot = text.size() * 131;
    if (!text.empty())
        slot += static_cast<unsigned char>(text.front()) * 31u + static_cast<unsigned char>(text.back()) * 7u +
                static_cast<unsigned char>(text[text.size() / 2]);
    const std::string*& memo = memo_[slot % kMemoSize];
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
    texts_.clear();
}
