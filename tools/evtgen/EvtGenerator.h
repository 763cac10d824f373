#pragma once
// Builds an event-log file from a small line-based description (the
// language is documented in main.cpp).  Used by the qv-evtgen tool, by the
// tests in-process and by the demo network.

#include "platform/EvtLogImage.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace evtgen {

struct GeneratedLog {
    std::vector<BYTE> bytes;                       // the file
    std::vector<platform::evt::EvtRecord> events;  // every event written, in order (when kept)
    std::size_t overwritten = 0;                   // of those, how many the log no longer holds
};

// Parses the description and builds the file; false with "line N: reason"
// in error when the description is wrong or an event cannot be written.
bool GenerateEvtLog(std::string_view description, GeneratedLog& log, std::string& error, bool keepEvents = true);

// As above, written to a file (replacing it).
bool WriteEvtLog(std::string_view description, const std::string& path, std::string& error);

// "2021-03-04T05:06:07Z" (or a plain number of seconds) to seconds since 1970.
bool ParseTime(std::string_view text, std::uint32_t& seconds);

} // namespace evtgen
