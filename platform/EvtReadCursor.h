#pragma once
// The read position of one event-log handle and the reading itself, as
// ReadEventLogA does it: whole records in their ANSI form, laid end to end,
// sequentially forwards or backwards, or from a record number on.
//
// The position lies between two records: a forwards read starts at the
// record after it, a backwards read at the record before it.  A handle that
// has not read yet starts at the oldest record (forwards) or at the newest
// (backwards).  Reads that hand out nothing leave the position as it was.

#include "EventLogService.h"
#include "EvtLogImage.h"
#include "Win32Types.h"

#include <cstdint>
#include <string>

namespace platform::evt {

class EvtBackupFile;

class EvtReadCursor {
public:
    // Reads from an image held in memory or from a backup file (whose
    // records are fetched from the file as they are read).
    // Returns ERROR_SUCCESS; ERROR_INSUFFICIENT_BUFFER with bytesNeeded set
    // to the length of the next record when not even that one fits;
    // ERROR_HANDLE_EOF when no record is left in that direction;
    // ERROR_INVALID_PARAMETER for bad flags or a seek to a record number that
    // is not in the log; ERROR_EVENTLOG_FILE_CHANGED once for a sequential
    // read after the log was cleared (generation changed) or after the
    // records at a forwards position were overwritten; the read then starts
    // again from the beginning in its direction; ERROR_EVENTLOG_FILE_CORRUPT
    // (and why) for a record that is damaged, after the records before it
    // were handed out.
    DWORD read(const EvtLogImage& image, std::uint64_t generation, DWORD flags, DWORD recordNumber, BYTE* buffer,
               DWORD size, DWORD& bytesRead, DWORD& bytesNeeded, std::string& why);
    DWORD read(EvtBackupFile& file, DWORD flags, DWORD recordNumber, BYTE* buffer, DWORD size, DWORD& bytesRead,
               DWORD& bytesNeeded, std::string& why);

    // Reads as read() does, from the same position and with the same
    // flags and errors, but hands at most `maxRecords` records to `take`
    // one by one in their on-disk form instead of copying their ANSI form.
    // `take` sees each record's whole bytes (valid during the call) and
    // returns false for a record it finds damaged, which then fails the
    // read as a damaged record does.
    DWORD visit(const EvtLogImage& image, DWORD flags, DWORD recordNumber, DWORD maxRecords,
                EventRecordSink take, void* context, DWORD& taken, std::string& why);
    DWORD visit(EvtBackupFile& file, DWORD flags, DWORD recordNumber, DWORD maxRecords, EventRecordSink take,
                void* context, DWORD& taken, std::string& why);

private:
    // What a read does with one record: takes it, has no room left for it,
    // or finds it damaged.
    enum class Step { Taken, Full, Damaged };
    template <class Source, class Take>
    DWORD readFrom(Source& source, std::uint64_t generation, DWORD flags, DWORD recordNumber, Take&& take,
                   DWORD& taken, std::string& why);
    template <class Source>
    DWORD readAnsi(Source& source, std::uint64_t generation, DWORD flags, DWORD recordNumber, BYTE* buffer,
                   DWORD size, DWORD& bytesRead, DWORD& bytesNeeded, std::string& why);
    template <class Source>
    DWORD visitRecords(Source& source, DWORD flags, DWORD recordNumber, DWORD maxRecords, EventRecordSink take,
                       void* context, DWORD& taken, std::string& why);

    bool positioned_ = false;
    std::uint64_t next_ = 0; // record number a forwards read starts at
    std::uint64_t generation_ = 0;
};

} // namespace platform::evt
