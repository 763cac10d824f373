#pragma once
// A backup file open for reading: where its records lie, as the parser
// found them when it was opened, and the records themselves read from the
// file when they are asked for, so the file is never held whole.
//
// Another program may shorten or rewrite the file while it is open: a
// record that the file no longer holds as it was reads as damaged
// (ERROR_EVENTLOG_FILE_CORRUPT), never past the end of the file.  Not
// thread-safe: the handle that owns it guards it.

#include "EvtBytes.h"
#include "EvtLogImage.h"
#include "FileIo.h"
#include "Win32Types.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::evt {

class EvtBackupFile {
public:
    // Opens and checks the file: its header first, then every record.
    static DWORD open(const std::string& path, std::unique_ptr<EvtBackupFile>& file, std::string& why);

    // Made by open only.
    class Key {
        friend class EvtBackupFile;
        Key() = default;
    };
    EvtBackupFile(Key, FileDescriptor file, std::uint64_t size, std::string path);
    EvtBackupFile(const EvtBackupFile&) = delete;
    EvtBackupFile& operator=(const EvtBackupFile&) = delete;

    std::size_t recordCount() const { return layout_.index.size(); }
    const IndexEntry& entry(std::size_t i) const { return layout_.index[i]; }
    DWORD oldestRecordNumber() const { return layout_.index.empty() ? 0 : layout_.index.front().recordNumber; }
    std::optional<std::size_t> indexOf(DWORD recordNumber) const { return IndexOf(layout_.index, recordNumber); }
    std::size_t lowerBound(DWORD recordNumber) const { return LowerBound(layout_.index, recordNumber); }

    // The whole record i, contiguous and valid until the next call; read
    // ahead in the direction given.  ERROR_SUCCESS, or an error code and why.
    DWORD fetchRecord(std::size_t i, bool forwards, const BYTE*& bytes, std::string& why);

    // The compact form of a backup of the records (EvtLogImage::compactBytes).
    DWORD compactBytes(std::vector<BYTE>& out, std::string& why);

private:
    FileDescriptor file_;
    std::string path_;
    EvtBytes bytes_; // reads file_
    EvtLayout layout_;
};

} // namespace platform::evt
