// Reads arbitrary bytes as an accounts file and looks the SIDs of the
// accepted lines up in the table it made.
#include "platform/AccountTable.h"
#include "platform/Sids.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    platform::AccountTable table;
    std::string error;
    if (!table.Parse(text, error)) {
        if (error.empty() || error.rfind("line ", 0) != 0)
            std::abort(); // every refusal names its line
        return 0;
    }
    // Every SID of the text that parses must be found, and its text form
    // must read back into the same bytes.
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos)
            continue;
        line.remove_prefix(first);
        std::vector<BYTE> sid;
        std::string reason;
        if (!platform::ParseSidText(line.substr(0, line.find_first_of(" \t")), sid, reason))
            continue;
        if (!table.Find(sid.data()))
            std::abort();
        std::vector<BYTE> again;
        if (!platform::ParseSidText(platform::SidText(sid.data()), again, reason) || again != sid)
            std::abort();
    }
    return 0;
}
