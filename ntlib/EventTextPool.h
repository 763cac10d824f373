#pragma once
// The distinct texts of a reader's events: a log holds a few hundred
// distinct sources, computers, categories and user names among millions of
// events, so each text is kept once and the events share it.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

class TEventTextPool {
public:
    // The pool's copy of a text: it stays where it is until Clear.  Finding
    // a text that is there already allocates nothing.
    const std::string& Intern(std::string_view text);

    // The pool's copy of a text given in UTF-16LE (`bytes` bytes, without
    // its NUL), in UTF-8.  A text met before is found by its UTF-16 bytes,
    // without converting it again.
    const std::string& InternUtf16(const unsigned char* text, std::size_t bytes);

    void Clear();
    std::size_t Count() const { return texts_.size(); }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept;
    };
    struct Equal {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const noexcept { return a == b; }
    };

    // Node-based: a text keeps its address while others are added.
    std::unordered_set<std::string, Hash, Equal> texts_;
    // The texts found last, by a cheap hash of a few of their bytes: runs
    // of events repeat a handful of texts.
    static constexpr std::size_t kMemoSize = 256;
    std::array<const std::string*, kMemoSize> memo_{};
    // The UTF-16 forms met, each with its pooled text.
    std::unordered_map<std::string, const std::string*, Hash, Equal> utf16_;
    std::array<const std::pair<const std::string, const std::string*>*, kMemoSize> utf16Memo_{};
};
