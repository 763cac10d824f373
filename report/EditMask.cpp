#include "EditMask.h"

#include <cctype>
#include <vector>

namespace report {

namespace {

enum class Casing : std::uint8_t { AsGiven, Upper, Lower };

// One position of the formatted text: a literal, or a place that takes a
// character of the text.
struct MaskItem {
    bool place = false;
    char literal = 0;
    Casing casing = Casing::AsGiven;
};

bool IsPlaceChar(char c)
{
    switch (c) {
    case 'L': case 'l': case 'A': case 'a': case 'C': case 'c': case '0': case '9': case '#':
        return true;
    default:
        return false;
    }
}

char Cased(char c, Casing casing)
{
    const auto u = static_cast<unsigned char>(c);
    if (casing == Casing::Upper)
        return static_cast<char>(std::toupper(u));
    if (casing == Casing::Lower)
        return static_cast<char>(std::tolower(u));
    return c;
}

// The mask part ends at the first ";" that is not escaped.
std::size_t MaskEnd(std::string_view mask)
{
    for (std::size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] == '\\')
            ++i;
        else if (mask[i] == ';')
            return i;
    }
    return mask.size();
}

} // namespace

std::string FormatMaskText(std::string_view editMask, std::string_view text, const FormatSettings& settings)
{
    const std::size_t end = MaskEnd(editMask);
    const std::string_view mask = editMask.substr(0, end);
    bool keepLiterals = false;
    char blank = '_';
    if (end < editMask.size()) {
        std::string_view rest = editMask.substr(end + 1);
        const std::size_t semi = rest.find(';');
        const std::string_view keep = rest.substr(0, semi);
        keepLiterals = !keep.empty() && keep.front() != '0';
        if (semi != std::string_view::npos && semi + 1 < rest.size())
            blank = rest[semi + 1];
    }

    std::vector<MaskItem> items;
    Casing casing = Casing::AsGiven;
    bool fromEnd = false;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        const char c = mask[i];
        MaskItem item;
        item.casing = casing;
        if (c == '>') {
            casing = Casing::Upper;
            continue;
        }
        if (c == '<') {
            if (i + 1 < mask.size() && mask[i + 1] == '>') {
                casing = Casing::AsGiven;
                ++i;
            } else {
                casing = Casing::Lower;
            }
            continue;
        }
        if (c == '!') {
            fromEnd = true;
            continue;
        }
        if (c == '\\') {
            if (++i >= mask.size())
                break;
            item.literal = mask[i];
        } else if (IsPlaceChar(c)) {
            item.place = true;
        } else if (c == '_') {
            item.literal = ' ';
        } else if (c == ':') {
            item.literal = settings.timeSeparator;
        } else if (c == '/') {
            item.literal = settings.dateSeparator;
        } else {
            item.literal = c;
        }
        items.push_back(item);
    }

    // With literals kept, every position takes a character of the text;
    // otherwise only the places do.
    std::size_t slots = 0;
    for (const auto& item : items)
        if (item.place || keepLiterals)
            ++slots;
    std::size_t skip = 0;  // slots left blank at the start when filling from the end
    if (fromEnd && text.size() < slots)
        skip = slots - text.size();

    std::string out;
    std::size_t next = 0;
    std::size_t slot = 0;
    for (const auto& item : items) {
        const bool takes = item.place || keepLiterals;
        if (!takes) {
            out += item.literal;
            continue;
        }
        const bool filled = slot >= skip && next < text.size();
        const char source = filled ? text[next++] : 0;
        ++slot;
        if (item.place)
            out += filled ? Cased(source, item.casing) : blank;
        else
            out += item.literal;  // the text's own literal is passed over
    }
    return out;
}

} // namespace report
