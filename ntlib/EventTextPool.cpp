#include "EventTextPool.h"

#include <functional>

std::size_t TEventTextPool::Hash::operator()(std::string_view text) const noexcept
{
    return std::hash<std::string_view>()(text);
}

const std::string& TEventTextPool::Intern(std::string_view text)
{
    if (auto it = texts_.find(text); it != texts_.end())
        return *it;
    return *texts_.emplace(text).first;
}

void TEventTextPool::Clear()
{
    texts_.clear();
}
