#pragma once
// A sorted list of names that ignores duplicates, comparing without regard
// to the case of ASCII letters: the sources and categories a log window
// collects while it loads, for the filter dialog's choices.

#include <cstddef>
#include <set>
#include <string>

class TNameList {
public:
    struct Less {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    using Names = std::set<std::string, Less>;

    // Adds a name unless it is there already (in any letter case).
    void Add(const std::string& name);
    void Clear();

    std::size_t Count() const { return names_.size(); }
    bool Contains(const std::string& name) const { return names_.count(name) != 0; }
    Names::const_iterator begin() const { return names_.begin(); }
    Names::const_iterator end() const { return names_.end(); }

private:
    Names names_;
    // Runs of events share their source: the last name added is checked
    // first, without a search.
    std::string last_;
    bool hasLast_ = false;
};
