#pragma once
// The category texts a reader has resolved, by event source and category
// number: one registry walk and one message-file load per pair for the
// reader's life.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>

class TCategoryCache {
public:
    // Keeps the text for the pair; the text stored first for a pair stays.
    // An empty text is a valid entry.
    void Add(const std::string& source, std::uint16_t category, const std::string& text);

    // The cached text of a pair; the source name is matched without regard
    // to case, the number exactly.
    bool Find(const std::string& source, std::uint16_t category, std::string& text) const;

    void Clear() { texts_.clear(); }
    std::size_t Count() const { return texts_.size(); }

private:
    // The source name and the number are kept apart: "App1" with category 2
    // and "App" with category 12 are two entries.
    using Key = std::pair<std::string, std::uint16_t>;
    static Key keyOf(const std::string& source, std::uint16_t category);

    std::map<Key, std::string> texts_;
};
