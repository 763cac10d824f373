#include "LiveLog.h"

#include "ErrorCodes.h"
#include "EvtParser.h"

#include <ctime>
#include <filesystem>
#include <vector>

namespace platform {
namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, std::weak_ptr<LiveLog>> logs; // by canonical path
};

Registry& registry()
{
    static Registry r;
    return r;
}

std::string canonicalPath(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : p.string();
}

// Reads the log file into an image.  The file's header and size are
// checked first: a file that is no log is refused before the rest of it is
// read, however large it is.
DWORD loadImage(const std::string& path, evt::EvtLogImage& image, std::string& why)
{
    FileDescriptor file;
    std::uint64_t size = 0;
    if (const DWORD error = file.openForReading(path, size, why); error != ERROR_SUCCESS)
        return error;
    const auto failed = [&](DWORD error) {
        if (why.rfind(path, 0) != 0)
            why = path + ": " + why;
        return error;
    };
    {
        evt::EvtBytes start(file, size, path);
        evt::FileHeader header;
        if (const DWORD error = evt::EvtParser::checkHeader(start, header, why); error != ERROR_SUCCESS)
            return failed(error);
    }
    std::vector<BYTE> bytes;
    if (const DWORD error = ReadWholeFile(file, size, path, bytes, why); error != ERROR_SUCCESS)
        return error;
    if (const DWORD error = evt::EvtParser::parse(std::move(bytes), image, why); error != ERROR_SUCCESS)
        return failed(error);
    return ERROR_SUCCESS;
}

} // namespace

LiveLog::LiveLog(std::string path, evt::EvtLogImage image)
    : path_(std::move(path))
    , image_(std::move(image))
{
}

DWORD LiveLog::open(const std::string& path, std::shared_ptr<LiveLog>& log, std::string& why)
{
    const std::string key = canonicalPath(path);
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    if (auto it = r.logs.find(key); it != r.logs.end()) {
        if (auto existing = it->second.lock()) {
            log = std::move(existing);
            return ERROR_SUCCESS;
        }
    }
    evt::EvtLogImage image(evt::kSizeStep, 0);
    if (const DWORD error = loadImage(key, image, why); error != ERROR_SUCCESS)
        return error;
    auto created = std::make_shared<LiveLog>(key, std::move(image));
    r.logs[key] = created;
    for (auto it = r.logs.begin(); it != r.logs.end();) // forget logs nobody holds
        it = it->second.expired() ? r.logs.erase(it) : std::next(it);
    log = std::move(created);
    return ERROR_SUCCESS;
}

DWORD LiveLog::create(const std::string& path, DWORD maxSize, DWORD retention, std::string& why)
{
    if (maxSize < evt::kSizeStep || maxSize % evt::kSizeStep != 0) {
        why = "the maximum size of a log is a multiple of 64 KiB";
        return ERROR_INVALID_PARAMETER;
    }
    const evt::EvtLogImage image(maxSize, retention);
    return WriteFileAtomically(path, image.bytes().data(), image.bytes().size(), false, why);
}

DWORD LiveLog::reloadLocked(std::string& why)
{
    file_.close();
    return loadImage(path_, image_, why);
}

DWORD LiveLog::append(const evt::EvtRecord& input, DWORD* recordNumber, std::string& why)
{
    evt::EvtRecord record = input;
    if (record.timeWritten == 0)
        record.timeWritten = static_cast<DWORD>(std::time(nullptr));
    if (record.timeGenerated == 0)
        record.timeGenerated = record.timeWritten;
    {
        std::lock_guard lock(mutex_);
        const DWORD sizeBefore = image_.fileSize();
        std::vector<evt::ByteRange> changed;
        const DWORD result = image_.append(record, 0, why, &changed, recordNumber);
        if (result != ERROR_SUCCESS && result != ERROR_LOG_FILE_FULL)
            return result;
        DWORD written = file_.isOpen() ? ERROR_SUCCESS : file_.openForWriting(path_);
        if (written == ERROR_SUCCESS && image_.fileSize() != sizeBefore)
            written = file_.resize(image_.fileSize());
        for (const evt::ByteRange& range : changed) {
            if (written != ERROR_SUCCESS)
                break;
            written = file_.writeAt(range.offset, image_.bytes().data() + range.offset, range.length);
        }
        if (written != ERROR_SUCCESS) {
            // Keep memory and file in step: take the file as it now stands.
            std::string ignored;
            reloadLocked(ignored);
            why = path_ + ": the event could not be written";
            return written;
        }
        if (result != ERROR_SUCCESS)
            return result;
    }
    notify();
    return ERROR_SUCCESS;
}

DWORD LiveLog::clear(std::string& why)
{
    {
        std::lock_guard lock(mutex_);
        evt::EvtLogImage cleared = image_;
        cleared.clear();
        const DWORD result =
            WriteFileAtomically(path_, cleared.bytes().data(), cleared.bytes().size(), true, why);
        if (result != ERROR_SUCCESS)
            return result;
        file_.close(); // the file was replaced
        image_ = std::move(cleared);
        ++generation_;
    }
    notify();
    return ERROR_SUCCESS;
}

DWORD LiveLog::backup(const std::string& target, std::string& why) const
{
    // Written straight from the image: no copy of the records is made, and
    // no event is added while they are written.
    std::lock_guard lock(mutex_);
    const evt::CompactPieces compact = image_.compactPieces();
    return WriteFileAtomically(target, compact.pieces, false, why);
}

void LiveLog::addNotification(const void* owner, std::shared_ptr<SyncEvent> event)
{
    std::lock_guard lock(mutex_);
    notifications_[owner] = std::move(event);
}

void LiveLog::removeNotification(const void* owner)
{
    std::lock_guard lock(mutex_);
    notifications_.erase(owner);
}

void LiveLog::notify()
{
    // The events are set under the lock rather than copied out first: the
    // change is made, and memory for the copies may not be there.
    std::lock_guard lock(mutex_);
    for (const auto& [owner, event] : notifications_)
        event->set();
}

} // namespace platform
