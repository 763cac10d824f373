#include "CategoryCache.h"

#include <QString>

TCategoryCache::Key TCategoryCache::keyOf(const std::string& source, std::uint16_t category)
{
    // Source names are registry key names: case does not tell them apart.
    return {QString::fromUtf8(source.data(), static_cast<qsizetype>(source.size())).toCaseFolded().toStdString(),
            category};
}

void TCategoryCache::Add(const std::string& source, std::uint16_t category, const std::string& text)
{
    texts_.emplace(keyOf(source, category), text);
}

bool TCategoryCache::Find(const std::string& source, std::uint16_t category, std::string& text) const
{
    auto it = texts_.find(keyOf(source, category));
    if (it == texts_.end())
        return false;
    text = it->second;
    return true;
}
