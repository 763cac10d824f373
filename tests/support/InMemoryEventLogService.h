#pragma once
// An in-memory event-log service: for its life it replaces the platform's
// event-log exports of "advapi32.dll" with one log held by the test, so the
// reader's logic can be driven, counted and made to fail without log files.
// Only one service may live at a time.  A subclass says how many records
// the log has and gives each record's bytes.

#include "platform/ErrorCodes.h"
#include "platform/Kernel32.h"

#include <functional>
#include <string>
#include <vector>

class InMemoryEventLogService {
public:
    DWORD oldest = 1;               // the number of the first record
    int reads = 0;
    int opens = 0;
    std::string openedName;         // the log name of the last open
    std::vector<DWORD> readFlags;   // the flags of every read, in order
    DWORD failOpenWith = 0;         // opening fails with this code; 0: it works
    DWORD failNextReadWith = 0;     // the next read fails with this code, once
    int failAtRead = 0;             // the read (counted from 1) that fails; 0: none
    DWORD failAtReadCode = ERROR_EVENTLOG_FILE_CORRUPT;
    DWORD seekMissError = ERROR_HANDLE_EOF;  // a seek to a record the log does not hold
    bool seekReturnsWrongRecord = false;     // a seek lands one record too far
    std::function<void(int read)> onRead;    // after every read that gave records

    InMemoryEventLogService();
    virtual ~InMemoryEventLogService();
    InMemoryEventLogService(const InMemoryEventLogService&) = delete;
    InMemoryEventLogService& operator=(const InMemoryEventLogService&) = delete;

protected:
    virtual DWORD RecordCount() const = 0;
    // The bytes of the record at this index (0 is the oldest).
    virtual std::vector<BYTE> RecordAt(DWORD index) const = 0;

private:
    long position_ = 0;  // index of the next record of a sequential read
    bool started_ = false;

    static InMemoryEventLogService*& current();
    static HANDLE open(LPCSTR server, LPCSTR name);
    static BOOL close(HANDLE log);
    static BOOL numberOfRecords(HANDLE log, DWORD* count);
    static BOOL oldestRecord(HANDLE log, DWORD* number);
    static BOOL notify(HANDLE log, HANDLE event);
    static BOOL read(HANDLE log, DWORD flags, DWORD offset, LPVOID buffer, DWORD size, DWORD* bytesRead,
                     DWORD* needed);
};
