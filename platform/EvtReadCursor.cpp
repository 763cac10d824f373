#include "EvtReadCursor.h"

#include "ErrorCodes.h"
#include "EventLogService.h"
#include "EvtBackupFile.h"

namespace platform::evt {

DWORD EvtReadCursor::read(const EvtLogImage& image, std::uint64_t generation, DWORD flags, DWORD recordNumber,
                          BYTE* buffer, DWORD size, DWORD& bytesRead, DWORD& bytesNeeded, std::string& why)
{
    return readFrom(image, generation, flags, recordNumber, buffer, size, bytesRead, bytesNeeded, why);
}

DWORD EvtReadCursor::read(EvtBackupFile& file, DWORD flags, DWORD recordNumber, BYTE* buffer, DWORD size,
                          DWORD& bytesRead, DWORD& bytesNeeded, std::string& why)
{
    return readFrom(file, 0, flags, recordNumber, buffer, size, bytesRead, bytesNeeded, why);
}

template <class Source>
DWORD EvtReadCursor::readFrom(Source& image, std::uint64_t generation, DWORD flags, DWORD recordNumber,
                              BYTE* buffer, DWORD size, DWORD& bytesRead, DWORD& bytesNeeded, std::string& why)
{
    bytesRead = 0;
    bytesNeeded = 0;
    const bool sequential = (flags & EVENTLOG_SEQUENTIAL_READ) != 0;
    const bool seek = (flags & EVENTLOG_SEEK_READ) != 0;
    const bool forwards = (flags & EVENTLOG_FORWARDS_READ) != 0;
    const bool backwards = (flags & EVENTLOG_BACKWARDS_READ) != 0;
    if ((flags & ~0xFu) != 0 || sequential == seek || forwards == backwards)
        return ERROR_INVALID_PARAMETER;
    if (!buffer && size != 0)
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

    // Each record is checked as it is converted: a backup file is read from
    // the disk now, and another program may have changed it.
    DWORD used = 0;
    std::size_t last = first;
    DWORD failure = ERROR_SUCCESS;
    for (std::size_t i = first;;) {
        const BYTE* bytes = nullptr;
        failure = image.fetchRecord(i, forwards, bytes, why);
        if (failure != ERROR_SUCCESS)
            break;
        const DWORD length = image.entry(i).length;
        DWORD ansiLength = 0;
        const AnsiConversion result = ConvertAnsiRecord(bytes, length, buffer + used, size - used, ansiLength, why);
        if (result == AnsiConversion::Damaged) {
            failure = ERROR_EVENTLOG_FILE_CORRUPT;
            break;
        }
        if (result == AnsiConversion::NoRoom) {
            RecordLayout layout;
            if (used == 0) {
                if (ScanRecord(bytes, length, layout, why))
                    bytesNeeded = layout.ansiLength;
                else
                    failure = ERROR_EVENTLOG_FILE_CORRUPT;
            }
            break;
        }
        used += ansiLength;
        last = i;
        if (forwards) {
            if (++i == count)
                break;
        } else {
            if (i-- == 0)
                break;
        }
    }
    if (used == 0)
        return failure != ERROR_SUCCESS ? failure : ERROR_INSUFFICIENT_BUFFER;
    bytesRead = used;
    positioned_ = true;
    const DWORD lastNumber = image.entry(last).recordNumber;
    next_ = forwards ? std::uint64_t{lastNumber} + 1 : lastNumber;
    return ERROR_SUCCESS;
}

} // namespace platform::evt
