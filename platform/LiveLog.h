#pragma once
// A live event log: one in-memory image per log file, shared by every
// handle of the process that has the file open and guarded by a mutex.
// Appends change the image and the file in place (the changed ranges
// only); clearing replaces the file atomically.  Handles that asked for
// change notification have their events set on every change.

#include "EvtLogImage.h"
#include "FileIo.h"
#include "SyncObjects.h"
#include "Win32Types.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace platform {

class LiveLog {
public:
    // The shared object of the log file at path, loaded on first use; a
    // file whose header is no log's is refused before the rest is read.
    static DWORD open(const std::string& path, std::shared_ptr<LiveLog>& log, std::string& why);
    // Creates an empty log file; ERROR_ALREADY_EXISTS when there is one.
    static DWORD create(const std::string& path, DWORD maxSize, DWORD retention, std::string& why);

    const std::string& path() const { return path_; }

    // Reading: hold lock() while using image() and generation().
    std::unique_lock<std::mutex> lock() const { return std::unique_lock(mutex_); }
    const evt::EvtLogImage& image() const { return image_; }
    // Changes whenever the log is cleared (record numbers start again).
    std::uint64_t generation() const { return generation_; }

    // Appends an event (see EvtLogImage::append); TimeWritten 0 means now,
    // TimeGenerated 0 means TimeWritten.
    DWORD append(const evt::EvtRecord& record, DWORD* recordNumber, std::string& why);
    // Empties the log.
    DWORD clear(std::string& why);
    // Writes the compact backup form to target; never replaces a file.
    DWORD backup(const std::string& target, std::string& why) const;

    void addNotification(const void* owner, std::shared_ptr<SyncEvent> event);
    void removeNotification(const void* owner);

    explicit LiveLog(std::string path, evt::EvtLogImage image);

private:
    void notify();
    DWORD reloadLocked(std::string& why);

    const std::string path_;
    mutable std::mutex mutex_;
    evt::EvtLogImage image_;
    std::uint64_t generation_ = 0;
    FileDescriptor file_;
    std::map<const void*, std::shared_ptr<SyncEvent>> notifications_;
};

} // namespace platform
