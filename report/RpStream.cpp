#include "RpStream.h"

#include <cstring>

namespace report {

namespace {
const char* const kReadError = "Stream read error";
}

void TrpStream::Seek(std::size_t position)
{
    if (position > bytes_.size())
        throw EReadError(kReadError);
    pos_ = position;
}

void TrpStream::Skip(std::size_t count)
{
    if (count > Remaining())
        throw EReadError(kReadError);
    pos_ += count;
}

void TrpStream::Truncate()
{
    bytes_.resize(pos_);
}

void TrpStream::Read(void* target, std::size_t count)
{
    if (count > Remaining())
        throw EReadError(kReadError);
    if (count > 0)
        std::memcpy(target, bytes_.data() + pos_, count);
    pos_ += count;
}

std::string TrpStream::ReadBytes(std::size_t count)
{
    if (count > Remaining())
        throw EReadError(kReadError);
    std::string text(reinterpret_cast<const char*>(bytes_.data() + pos_), count);
    pos_ += count;
    return text;
}

std::uint8_t TrpStream::ReadByte()
{
    std::uint8_t value = 0;
    Read(&value, 1);
    return value;
}

std::uint16_t TrpStream::ReadUInt16()
{
    std::uint8_t b[2];
    Read(b, 2);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::int16_t TrpStream::ReadInt16()
{
    return static_cast<std::int16_t>(ReadUInt16());
}

std::uint32_t TrpStream::ReadUInt32()
{
    std::uint8_t b[4];
    Read(b, 4);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::int32_t TrpStream::ReadInt32()
{
    return static_cast<std::int32_t>(ReadUInt32());
}

double TrpStream::ReadDouble()
{
    std::uint8_t b[8];
    Read(b, 8);
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | b[i];
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void TrpStream::Write(const void* source, std::size_t count)
{
    if (count == 0)
        return;
    if (pos_ + count > bytes_.size())
        bytes_.resize(pos_ + count);
    std::memcpy(bytes_.data() + pos_, source, count);
    pos_ += count;
}

void TrpStream::WriteUInt16(std::uint16_t value)
{
    const std::uint8_t b[2] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
    Write(b, 2);
}

void TrpStream::WriteUInt32(std::uint32_t value)
{
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                               static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    Write(b, 4);
}

void TrpStream::WriteDouble(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    std::uint8_t b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    Write(b, 8);
}

} // namespace report
