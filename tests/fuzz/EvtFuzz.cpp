// Fuzzes the event-log service with untrusted files: the bytes are opened as
// a backup log, every record is read through ReadEventLogA in both
// directions and by seek, and each ANSI record handed out is checked; the
// same bytes are decoded as one record, and a parsed log must survive its
// own backup form unchanged.

#include "platform/ErrorCodes.h"
#include "platform/EventLogService.h"
#include "platform/EvtFormat.h"
#include "platform/EvtParser.h"
#include "platform/EvtRecord.h"
#include "platform/Kernel32.h"

#include <cstdint>
#include <cstring>
#include <vector>

using namespace platform::evt;

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Every record of a ReadEventLogA buffer is whole and its parts lie inside it.
void checkBuffer(const BYTE* p, DWORD size)
{
    DWORD at = 0;
    while (at < size) {
        check(size - at >= kRecordFixedSize + 8);
        const DWORD length = readLe32(p + at);
        check(length >= kRecordFixedSize + 8 && length % 4 == 0 && length <= size - at);
        const BYTE* r = p + at;
        check(readLe32(r + length - 4) == length);
        check(std::memchr(r + kRecordFixedSize, 0, length - kRecordFixedSize) != nullptr);
        const DWORD sidEnd = readLe32(r + kRecUserSidOffset) + readLe32(r + kRecUserSidLength);
        const DWORD dataEnd = readLe32(r + kRecDataOffset) + readLe32(r + kRecDataLength);
        check(sidEnd <= length - 4 && dataEnd <= length - 4);
        at += length;
    }
}

void readAll(HANDLE log, DWORD flags, DWORD bufferSize)
{
    std::vector<BYTE> buffer(bufferSize);
    for (int batches = 0; batches < 100000; ++batches) {
        DWORD read = 0, needed = 0;
        if (platform::ReadEventLogA(log, flags, 0, buffer.data(), static_cast<DWORD>(buffer.size()), &read, &needed)) {
            check(read > 0 && read <= buffer.size());
            checkBuffer(buffer.data(), read);
            continue;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER) {
            check(error == ERROR_HANDLE_EOF);
            return;
        }
        check(needed > buffer.size() && needed < 0x10000000);
        buffer.resize(needed);
    }
    check(false); // a read that never ends
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 0x1000000)
        return 0;
    std::vector<BYTE> bytes(data, data + size);

    EvtRecord record;
    std::string why;
    DecodeRecord(bytes.data(), static_cast<DWORD>(size), record, why);

    EvtLogImage image(0x10000, 0);
    if (EvtParser::parse(bytes, image, why) == ERROR_SUCCESS) {
        EvtLogImage again(0x10000, 0);
        check(EvtParser::parse(image.compactBytes(), again, why) == ERROR_SUCCESS);
        check(again.recordCount() == image.recordCount());
        for (std::size_t i = 0; i < image.recordCount(); ++i) {
            check(again.entry(i).length == image.entry(i).length);
            check(std::memcmp(again.recordBytes(i), image.recordBytes(i), image.entry(i).length) == 0);
            check(DecodeRecord(image.recordBytes(i), image.entry(i).length, record, why));
        }
    }

    HANDLE log = platform::OpenBackupEventLogFromBytes(std::move(bytes), "fuzz input");
    if (!log)
        return 0;
    readAll(log, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ, 16384);
    HANDLE back = platform::OpenBackupEventLogFromBytes(std::vector<BYTE>(data, data + size), "fuzz input");
    check(back != nullptr);
    readAll(back, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ, 100);
    DWORD count = 0, oldest = 0;
    check(platform::GetNumberOfEventLogRecords(log, &count) && platform::GetOldestEventLogRecord(log, &oldest));
    if (count > 0) {
        std::vector<BYTE> buffer(0x10000);
        DWORD read = 0, needed = 0;
        for (DWORD number : {oldest, oldest + count / 2, oldest + count - 1}) {
            if (platform::ReadEventLogA(log, EVENTLOG_SEEK_READ | EVENTLOG_BACKWARDS_READ, number, buffer.data(),
                                        static_cast<DWORD>(buffer.size()), &read, &needed))
                checkBuffer(buffer.data(), read);
        }
    }
    platform::CloseEventLog(log);
    platform::CloseEventLog(back);
    return 0;
}
