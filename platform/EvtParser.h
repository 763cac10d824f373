#pragma once
// Reads an event-log file's bytes into an EvtLogImage with a validated
// index of its records, as the platform does and more: records that wrap
// around the end of the file (split records, filler words, a split
// end-of-file record), "dirty" files copied from a running system whose
// header is stale (the end-of-file record is then the authority and records
// left over in the free gap are not events), and backups trimmed to their
// exact size.  Every length and offset is checked before use; a damaged file
// gives ERROR_EVENTLOG_FILE_CORRUPT and a readable reason.

#include "EvtBytes.h"
#include "EvtLogImage.h"
#include "Win32Types.h"

#include <string>
#include <vector>

namespace platform::evt {

class EvtParser {
public:
    // ERROR_SUCCESS and the image, or an error code and why.
    static DWORD parse(std::vector<BYTE> bytes, EvtLogImage& image, std::string& why);

    // ERROR_SUCCESS and where the records of the bytes lie, or an error code
    // and why.  The header is checked before anything else is read.
    static DWORD parseLayout(EvtBytes& bytes, EvtLayout& layout, std::string& why);

    // Checks what the first 48 bytes tell of a file before the rest is read:
    // that its size is one a log can have and that its header is that of a
    // log of this format.  ERROR_SUCCESS and the header, or an error code
    // and why, as parseLayout gives them.
    static DWORD checkHeader(EvtBytes& bytes, FileHeader& header, std::string& why);

private:
    struct Walk;
    static DWORD headerOf(EvtBytes& bytes, FileHeader& header, std::string& why);
    static bool walk(Walk& w, DWORD start, DWORD eofOffset, std::string& why);
    static DWORD layoutOf(EvtBytes& bytes, EvtLayout& layout, std::string& why);
};

} // namespace platform::evt
