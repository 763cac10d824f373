#include "EvtBytes.h"

#include "ErrorCodes.h"
#include "EvtFormat.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace platform::evt {

EvtBytes::EvtBytes(const BYTE* bytes, std::size_t size)
    : size_(size)
    , data_(bytes)
    , length_(size)
{
}

EvtBytes::EvtBytes(const FileDescriptor& file, std::uint64_t size, std::string name)
    : file_(&file)
    , size_(size)
    , name_(std::move(name))
{
}

const BYTE* EvtBytes::load(std::uint64_t offset, std::size_t length, bool forwards)
{
    if (offset > size_ || length > size_ - offset || !file_)
        throw EvtReadFailure{ERROR_EVENTLOG_FILE_CORRUPT, name_ + ": a read past the end of the file"};
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(std::max(length, nextWindow_), size_));
    nextWindow_ = std::min(nextWindow_ * 2, kMaxWindow);
    std::uint64_t start = offset;
    if (!forwards)
        start = offset + length >= want ? offset + length - want : 0;
    start = std::min(start, size_ - want);
    // Until the new window is read whole, the window holds no bytes: a
    // failed read, or memory that cannot be had, leaves none behind that
    // look like the file's.
    data_ = nullptr;
    start_ = 0;
    length_ = 0;
    if (window_.size() < want) {
        window_ = std::vector<BYTE>(); // the old window goes before the new one comes
        window_.resize(want);
    }
    std::size_t done = 0;
    if (file_->readAt(start, window_.data(), want, done) != ERROR_SUCCESS)
        throw EvtReadFailure{ERROR_READ_FAULT, name_ + ": the file could not be read"};
    if (done < want)
        throw EvtReadFailure{ERROR_EVENTLOG_FILE_CORRUPT, name_ + ": the file changed while it was read"};
    data_ = window_.data();
    start_ = start;
    length_ = want;
    return data_ + (offset - start_);
}

DWORD EvtBytes::read32(std::uint64_t offset)
{
    return readLe32(view(offset, 4));
}

void EvtBytes::copy(std::uint64_t offset, std::size_t length, BYTE* out)
{
    std::memcpy(out, view(offset, length), length);
}

} // namespace platform::evt
