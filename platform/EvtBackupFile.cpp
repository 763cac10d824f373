#include "EvtBackupFile.h"

#include "ErrorCodes.h"
#include "EvtFormat.h"
#include "EvtParser.h"

#include <cstdio>

namespace platform::evt {

EvtBackupFile::EvtBackupFile(Key, FileDescriptor file, std::uint64_t size, std::string path)
    : file_(std::move(file))
    , path_(std::move(path))
    , bytes_(file_, size, path_)
{
}

DWORD EvtBackupFile::open(const std::string& path, std::unique_ptr<EvtBackupFile>& file, std::string& why)
{
    FileDescriptor fd;
    std::uint64_t size = 0;
    if (const DWORD error = fd.openForReading(path, size, why); error != ERROR_SUCCESS)
        return error;
    auto opened = std::make_unique<EvtBackupFile>(Key(), std::move(fd), size, path);
    if (const DWORD error = EvtParser::parseLayout(opened->bytes_, opened->layout_, why); error != ERROR_SUCCESS) {
        if (why.rfind(path, 0) != 0)
            why = path + ": " + why;
        return error;
    }
    file = std::move(opened);
    return ERROR_SUCCESS;
}

DWORD EvtBackupFile::fetchRecord(std::size_t i, bool forwards, const BYTE*& bytes, std::string& why)
{
    const IndexEntry& e = layout_.index[i];
    if (static_cast<std::uint64_t>(e.offset) + e.length > layout_.end) {
        bytes = layout_.joined.data(); // the one split record, joined when the file was opened
        return ERROR_SUCCESS;
    }
    try {
        bytes = bytes_.view(e.offset, e.length, forwards);
    } catch (const EvtReadFailure& failure) {
        why = failure.why;
        return failure.code;
    }
    if (readLe32(bytes + kRecLength) != e.length || readLe32(bytes + kRecRecordNumber) != e.recordNumber) {
        char where[32];
        std::snprintf(where, sizeof where, "0x%X", e.offset);
        why = path_ + ": record " + std::to_string(e.recordNumber) + " at offset " + where +
              " changed since the file was opened";
        return ERROR_EVENTLOG_FILE_CORRUPT;
    }
    return ERROR_SUCCESS;
}

DWORD EvtBackupFile::compactBytes(std::vector<BYTE>& out, std::string& why)
{
    DWORD error = ERROR_SUCCESS;
    out = CompactBackupBytes(layout_.index, layout_.nextNumber, layout_.maxSize, layout_.retention,
                             [&](std::size_t i) -> const BYTE* {
                                 const BYTE* bytes = nullptr;
                                 if (error == ERROR_SUCCESS)
                                     error = fetchRecord(i, true, bytes, why);
                                 return error == ERROR_SUCCESS ? bytes : nullptr;
                             });
    if (error != ERROR_SUCCESS)
        out.clear();
    return error;
}

} // namespace platform::evt
