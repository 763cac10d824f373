#pragma once
// A small reader of INI text: "[Section]" lines and "Key=Value" lines below
// them.  Blank lines and lines starting with ';' or '#' are ignored; keys
// and section names are compared without regard to case; values are
// trimmed, and a value in double quotes keeps its blanks (the quotes are
// removed).  The text is UTF-8, with or without a byte-order mark.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct IniEntry {
    std::string key;
    std::string value;
    std::size_t line = 0;
};

struct IniSection {
    std::string name;
    std::size_t line = 0;
    std::vector<IniEntry> entries;

    // The entry with the key, or null.
    const IniEntry* Find(std::string_view key) const;
};

class IniFile {
public:
    // False with "line N: ..." in `error` for text that is not INI: a line
    // outside any section, a line that is neither a section nor Key=Value,
    // a section or a key given twice, or text that is not UTF-8.
    bool Parse(std::string_view text, std::string& error);

    const std::vector<IniSection>& Sections() const { return sections_; }

private:
    std::vector<IniSection> sections_;
};

} // namespace platform
