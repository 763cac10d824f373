#include "IniFile.h"

#include "AsciiText.h"
#include "RegistryKey.h"
#include "Utf8Text.h"

#include <map>

namespace platform {
namespace {

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

} // namespace

const IniEntry* IniSection::Find(std::string_view key) const
{
    for (const IniEntry& e : entries)
        if (EqualsNoCase(e.key, key))
            return &e;
    return nullptr;
}

bool IniFile::Parse(std::string_view text, std::string& error)
{
    sections_.clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<IniSection> sections;
    std::map<std::string, std::size_t> sectionLines;    // upper-case name -> line
    std::map<std::string, std::size_t> keyLines;        // of the current section
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    const auto fail = [&](const std::string& message) {
        error = "line " + std::to_string(lineNumber) + ": " + message;
        return false;
    };
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view raw = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!utf8::IsValid(raw))
            return fail("the text is not UTF-8");
        if (raw.find('\0') != std::string_view::npos)
            return fail("the line holds a NUL character");
        const std::string_view line = trimmed(raw);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']')
                return fail("a section line must end with ']'");
            const std::string_view name = trimmed(line.substr(1, line.size() - 2));
            if (name.empty())
                return fail("a section needs a name");
            const auto [it, added] = sectionLines.emplace(RegistryNameKey(name), lineNumber);
            if (!added)
                return fail("the section [" + std::string(name) + "] is given twice (first on line " +
                            std::to_string(it->second) + ")");
            keyLines.clear();
            sections.push_back(IniSection{std::string(name), lineNumber, {}});
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return fail("\"Key=Value\" or \"[Section]\" expected");
        if (sections.empty())
            return fail("a key before the first section");
        const std::string_view key = trimmed(line.substr(0, equals));
        std::string_view value = trimmed(line.substr(equals + 1));
        if (key.empty())
            return fail("a key needs a name");
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        IniSection& section = sections.back();
        const auto [it, added] = keyLines.emplace(RegistryNameKey(key), lineNumber);
        if (!added)
            return fail("the key \"" + std::string(key) + "\" is given twice in [" + section.name +
                        "] (first on line " + std::to_string(it->second) + ")");
        section.entries.push_back(IniEntry{std::string(key), std::string(value), lineNumber});
    }
    sections_ = std::move(sections);
    return true;
}

} // namespace platform
