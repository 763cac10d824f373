#pragma once
// Random access to the bytes of an event-log file: the bytes held in
// memory, or the file itself, read a window at a time, so a file is never
// read whole before it is known to be a log and is never held whole.

#include "FileIo.h"
#include "Win32Types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform::evt {

// Why bytes could not be had: the file could not be read, or it no longer
// holds them (it shrank).
struct EvtReadFailure {
    DWORD code;
    std::string why;
};

class EvtBytes {
public:
    // The bytes in memory (which outlive this object).
    EvtBytes(const BYTE* bytes, std::size_t size);
    // The file, of `size` bytes when it was opened.
    EvtBytes(const FileDescriptor& file, std::uint64_t size, std::string name);

    std::uint64_t size() const { return size_; }

    // `length` contiguous bytes at offset (offset + length <= size()),
    // valid until the next call.  Reading backwards, the window that is read
    // ends at these bytes.  Throws EvtReadFailure.
    const BYTE* view(std::uint64_t offset, std::size_t length, bool forwards = true)
    {
        if (offset >= start_ && offset + length <= start_ + length_)
            return data_ + (offset - start_);
        return load(offset, length, forwards);
    }
    DWORD read32(std::uint64_t offset);
    // Copies `length` bytes at offset.
    void copy(std::uint64_t offset, std::size_t length, BYTE* out);

private:
    // The first window is small (a file is checked by its header first);
    // each further one is twice as large, up to kMaxWindow.
    static constexpr std::size_t kFirstWindow = 4096;
    static constexpr std::size_t kMaxWindow = 1 << 20;
    const BYTE* load(std::uint64_t offset, std::size_t length, bool forwards);

    const FileDescriptor* file_ = nullptr;
    std::uint64_t size_ = 0;
    std::string name_;
    std::vector<BYTE> window_;
    const BYTE* data_ = nullptr; // the bytes from start_ on
    std::uint64_t start_ = 0;
    std::size_t length_ = 0;
    std::size_t nextWindow_ = kFirstWindow;
};

} // namespace platform::evt
