#pragma once
// A message-table resource (RT_MESSAGETABLE) read in place: blocks of
// message ids, each pointing at its run of entries, and entries of ANSI,
// Unicode (UTF-16LE) or UTF-8 text.  Every count, offset and length is
// checked against the resource before use.

#include "Win32Types.h"

#include <span>
#include <string>

namespace platform {

class MessageTable {
public:
    explicit MessageTable(std::span<const BYTE> data)
        : data_(data)
    {
    }

    // ERROR_SUCCESS and the message's text as UTF-8, taken up to its first
    // NUL (ANSI entries are read in the ANSI code page, UTF-8); the first
    // block that holds the id gives it.  ERROR_MR_MID_NOT_FOUND when no
    // block holds the id, ERROR_INVALID_DATA when the table or the entries
    // on the way to the message are damaged.
    DWORD Find(DWORD messageId, std::string& text) const;

    // The number of blocks, or 0 when the table is damaged.
    DWORD BlockCount() const;
    // The id range of block `index` (below BlockCount()).
    bool Block(DWORD index, DWORD& lowId, DWORD& highId) const;

private:
    std::span<const BYTE> data_;
};

} // namespace platform
