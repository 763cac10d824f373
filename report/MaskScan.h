#pragma once
// The walk that number and date-time masks share: quoted text ('...' or
// "...") is literal, so only the characters outside quotes have a meaning.

#include <cstddef>
#include <string_view>

namespace report {

// Calls visit(index) for each character of the mask outside quotes, in
// order, until visit answers false.
template <class Visit>
void ScanUnquoted(std::string_view mask, Visit visit)
{
    char quote = 0;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        const char c = mask[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (!visit(i)) {
            return;
        }
    }
}

} // namespace report
