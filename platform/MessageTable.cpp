#include "MessageTable.h"

#include "ErrorCodes.h"
#include "Utf8Text.h"

#include <cstdint>
#include <string_view>

namespace platform {
namespace {

constexpr std::size_t kBlockSize = 12;
constexpr std::size_t kEntryHeaderSize = 4;
constexpr WORD kEntryUnicode = 0x0001;

WORD read16(std::span<const BYTE> data, std::size_t offset)
{
    return static_cast<WORD>(data[offset] | (data[offset + 1] << 8));
}

DWORD read32(std::span<const BYTE> data, std::size_t offset)
{
    return static_cast<DWORD>(data[offset]) | (static_cast<DWORD>(data[offset + 1]) << 8) |
           (static_cast<DWORD>(data[offset + 2]) << 16) | (static_cast<DWORD>(data[offset + 3]) << 24);
}

std::string decodeEntry(std::span<const BYTE> body, WORD flags)
{
    std::string text;
    if (flags & kEntryUnicode) {
        std::u16string units;
        for (std::size_t i = 0; i + 1 < body.size(); i += 2) {
            const char16_t unit = static_cast<char16_t>(body[i] | (body[i + 1] << 8));
            if (unit == 0)
                break;
            units += unit;
        }
        utf8::AppendFromUtf16(text, units);
        return text;
    }
    // ANSI entries (flags 0) and UTF-8 entries (flags 2) are the same to a
    // platform whose ANSI code page is UTF-8.
    std::size_t length = 0;
    while (length < body.size() && body[length] != 0)
        ++length;
    utf8::AppendValid(text, std::string_view(reinterpret_cast<const char*>(body.data()), length));
    return text;
}

} // namespace

DWORD MessageTable::BlockCount() const
{
    if (data_.size() < 4)
        return 0;
    const std::uint64_t count = read32(data_, 0);
    if (count > (data_.size() - 4) / kBlockSize)
        return 0;
    return static_cast<DWORD>(count);
}

bool MessageTable::Block(DWORD index, DWORD& lowId, DWORD& highId) const
{
    if (index >= BlockCount())
        return false;
    const std::size_t at = 4 + std::size_t{index} * kBlockSize;
    lowId = read32(data_, at);
    highId = read32(data_, at + 4);
    return true;
}

DWORD MessageTable::Find(DWORD messageId, std::string& text) const
{
    if (data_.size() < 4)
        return ERROR_INVALID_DATA;
    const DWORD blocks = BlockCount();
    if (blocks == 0 && read32(data_, 0) != 0)
        return ERROR_INVALID_DATA; // more blocks than the table can hold
    for (DWORD b = 0; b < blocks; ++b) {
        const std::size_t at = 4 + std::size_t{b} * kBlockSize;
        const DWORD low = read32(data_, at);
        const DWORD high = read32(data_, at + 4);
        if (messageId < low || messageId > high)
            continue;
        // Entries follow one another, each as long as its length says; walk
        // to the wanted one.  Every step moves forward by at least one
        // header, so the walk ends within the table.
        std::size_t offset = read32(data_, at + 8);
        for (DWORD skip = messageId - low;; --skip) {
            if (offset > data_.size() || data_.size() - offset < kEntryHeaderSize)
                return ERROR_INVALID_DATA;
            const WORD length = read16(data_, offset);
            if (length < kEntryHeaderSize || length > data_.size() - offset)
                return ERROR_INVALID_DATA;
            if (skip == 0) {
                const WORD flags = read16(data_, offset + 2);
                text = decodeEntry(data_.subspan(offset + kEntryHeaderSize, length - kEntryHeaderSize), flags);
                return ERROR_SUCCESS;
            }
            offset += length;
        }
    }
    return ERROR_MR_MID_NOT_FOUND;
}

} // namespace platform
