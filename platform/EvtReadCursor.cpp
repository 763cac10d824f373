#include "EvtReadCursor.h"

#include "ErrorCodes.h"
#include "EventLogService.h"
#include "EvtBackupFile.h"
#include "EvtFormat.h"

namespace platform::evt {

DWORD EvtReadCursor::read(const EvtLogImage& image, std::uint64_t generation, DWORD flags, DWORD recordNumber,
                          BYTE* buffer, DWORD size, DWORD& bytesRead, DWORD& bytesNeeded, std::string& why)
{
    return readAnsi(image, generation, flags, recordNumber, buffer, size, bytesRead, bytesNeeded, why);
}

DWORD EvtReadCursor::read(EvtBackupFile& file, DWORD flags, DWORD recordNumber, BYTE* buffer, DWORD size,
                          DWORD& bytesRead, DWORD& bytesNeeded, std::string& why)
{
    return readAnsi(file, 0, flags, recordNumber, buffer, size, bytesRead, bytesNeeded, why);
}

DWORD EvtReadCursor::visit(const EvtLogImage& image, DWORD flags, DWORD recordNumber, DWORD maxRecords,
                           EventRecordSink take, void* context, DWORD& taken, std::string& why)
{
    return visitRecords(image, flags, recordNumber, maxRecords, take, context, taken, why);
}

DWORD EvtReadCursor::visit(EvtBackupFile& file, DWORD flags, DWORD recordNumber, DWORD maxRecords,
                           EventRecordSink take, void* context, DWORD& taken, std::string& why)
{
    return visitRecords(file, flags, recordNumber, maxRecords, take, context, taken, why);
}

template <class Source>
DWORD EvtReadCursor::readAnsi(Source& source, std::uint64_t generation, DWORD flags, DWORD recordNumber,
                              BYTE* buffer, DWORD size, DWORD& bytesRead, DWORD& bytesNeeded, std::string& why)
{
    bytesRead = 0;
    bytesNeeded = 0;
    if (!buffer && size != 0)
        return ERROR_INVALID_PARAMETER;
    // Each record is checked as it is converted: a backup file is read from
    // the disk now, and another program may have changed it.
    DWORD used = 0;
    DWORD records = 0;
    const DWORD result = readFrom(
        source, generation, flags, recordNumber,
        [&](const BYTE* bytes, DWORD length) {
            DWORD ansiLength = 0;
            switch (ConvertAnsiRecord(bytes, length, buffer + used, size - used, ansiLength, why)) {
            case AnsiConversion::Done:
                used += ansiLength;
                return Step::Taken;
            case AnsiConversion::Damaged:
                return Step::Damaged;
            case AnsiConversion::NoRoom:
                break;
            }
            if (used == 0) {
                RecordLayout layout;
                if (!ScanRecord(bytes, length, layout, why))
                    return Step::Damaged;
                bytesNeeded = layout.ansiLength;
            }
            return Step::Full;
        },
        records, why);
    if (result == ERROR_SUCCESS)
        bytesRead = used;
    return result;
}

template <class Source>
DWORD EvtReadCursor::visitRecords(Source& source, DWORD flags, DWORD recordNumber, DWORD maxRecords,
                                  EventRecordSink take, void* context, DWORD& taken, std::string& why)
{
    if (!take || maxRecords == 0)
        return ERROR_INVALID_PARAMETER;
    return readFrom(
        source, 0, flags, recordNumber,
        [&](const BYTE* bytes, DWORD length) {
            if (taken == maxRecords)
                return Step::Full;
            if (!take(context, bytes, length)) {
                why = "record " + std::to_string(readLe32(bytes + kRecRecordNumber)) + " is damaged";
                return Step::Damaged;
            }
            return Step::Taken;
        },
        taken, why);
}

template <class Source, class Take>
DWORD EvtReadCursor::readFrom(Source& image, std::uint64_t generation, DWORD flags, DWORD recordNumber, Take&& take,
                              DWORD& taken, std::string& why)
{
    taken = 0;
    const bool sequential = (flags & EVENTLOG_SEQUENTIAL_READ) != 0;
    const bool seek = (flags & EVENTLOG_SEEK_READ) != 0;
    const bool forwards = (flags & EVENTLOG_FORWARDS_READ) != 0;
    const bool backwards = (flags & EVENTLOG_BACKWARDS_READ) != 0;
    if ((flags & ~0xFu) != 0 || sequential == seek || forwards == backwards)
        return ERROR_INVALID_PARAMETER;

    if (generation != generation_) {
        generation_ = generation;
        if (positioned_) {
            positioned_ = false;
            if (sequential)
                return ERROR_EVENTLOG_FILE_CHANGED;
        }
    }

    const std::size_t count = image.recordCount();
    auto lowerBound = [&](std::uint64_t number) {
        return number > 0xFFFFFFFFu ? count : image.lowerBound(static_cast<DWORD>(number));
    };
    std::size_t first = 0;
    if (seek) {
        const auto found = image.indexOf(recordNumber);
        if (!found)
            return ERROR_INVALID_PARAMETER;
        first = *found;
    } else if (forwards) {
        if (positioned_ && count != 0 && next_ < image.oldestRecordNumber()) {
            positioned_ = false; // the records we were at are gone
            return ERROR_EVENTLOG_FILE_CHANGED;
        }
        first = positioned_ ? lowerBound(next_) : 0;
        if (first >= count)
            return ERROR_HANDLE_EOF;
    } else {
        const std::size_t after = positioned_ ? lowerBound(next_) : count;
        if (after == 0)
            return ERROR_HANDLE_EOF;
        first = after - 1;
    }

    std::size_t last = first;
    DWORD failure = ERROR_SUCCESS;
    for (std::size_t i = first;;) {
        const BYTE* bytes = nullptr;
        failure = image.fetchRecord(i, forwards, bytes, why);
        if (failure != ERROR_SUCCESS)
            break;
        const Step step = take(bytes, image.entry(i).length);
        if (step == Step::Damaged) {
            failure = ERROR_EVENTLOG_FILE_CORRUPT;
            break;
        }
        if (step == Step::Full)
            break;
        ++taken;
        last = i;
        if (forwards) {
            if (++i == count)
                break;
        } else {
            if (i-- == 0)
                break;
        }
    }
    if (taken == 0)
        return failure != ERROR_SUCCESS ? failure : ERROR_INSUFFICIENT_BUFFER;
    positioned_ = true;
    const DWORD lastNumber = image.entry(last).recordNumber;
    next_ = forwards ? std::uint64_t{lastNumber} + 1 : lastNumber;
    return ERROR_SUCCESS;
}

} // namespace platform::evt
