#pragma once
// Helpers of the event-log tests: a temporary directory, handles closed at
// the end of a scope, the ANSI records that ReadEventLogA hands out decoded
// back into neutral form (checking every offset on the way), and reading a
// whole log through the service.

#include "platform/EventLogService.h"
#include "platform/EvtRecord.h"
#include "platform/Kernel32.h"

#include <filesystem>
#include <string>
#include <vector>

namespace evttest {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Closes an event-log handle at the end of a scope.
struct LogHandle {
    HANDLE h = nullptr;
    explicit LogHandle(HANDLE handle)
        : h(handle)
    {
    }
    ~LogHandle()
    {
        if (h)
            platform::CloseEventLog(h);
    }
    LogHandle(const LogHandle&) = delete;
    LogHandle& operator=(const LogHandle&) = delete;
    operator HANDLE() const { return h; }
};

// An auto-reset event of its own, closed at the end of a scope.
struct EventHandle {
    HANDLE h = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EventHandle() = default;
    ~EventHandle() { ::CloseHandle(h); }
    EventHandle(const EventHandle&) = delete;
    EventHandle& operator=(const EventHandle&) = delete;
    operator HANDLE() const { return h; }
};

// Decodes one ANSI record of `size` bytes; fails the current test (and
// returns false) when an offset or length in it is wrong.
bool DecodeAnsiRecord(const BYTE* p, DWORD size, platform::evt::EvtRecord& record);

// Splits a ReadEventLogA buffer into its records.
std::vector<platform::evt::EvtRecord> DecodeAnsiBuffer(const BYTE* p, DWORD size);

// Reads every record of the handle in one direction, sequentially, with a
// buffer of bufferSize bytes (grown when a record does not fit).
std::vector<platform::evt::EvtRecord> ReadAll(HANDLE log, bool forwards = true, DWORD bufferSize = 16384);

// The bytes of a file, and writing bytes to one.
std::vector<BYTE> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::vector<BYTE>& bytes);

// Builds a log from an evtgen description; fails the test on errors.
std::vector<BYTE> Generate(const std::string& description);

// The directory of the fixtures generated at build time.
std::string FixtureDir();

} // namespace evttest
