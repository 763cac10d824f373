#include "NameList.h"

#include <algorithm>

namespace {

unsigned char folded(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

} // namespace

bool TNameList::Less::operator()(const std::string& a, const std::string& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return folded(x) < folded(y); });
}

void TNameList::Add(const std::string& name)
{
    if (hasLast_ && name == last_)
        return;
    names_.insert(name);
    last_ = name;
    hasLast_ = true;
}

void TNameList::Clear()
{
    names_.clear();
    last_.clear();
    hasLast_ = false;
}
