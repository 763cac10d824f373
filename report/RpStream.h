#pragma once
// The byte stream that templates and prepared pages are read from and
// written to: a block of memory with a position.  Reads past the end raise
// EReadError and leave the position where it was, so a reader never looks
// outside the bytes it was given.  All integers are little-endian.

#include "Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace report {

// The stream ended before a value was complete, or a seek pointed outside it.
class EReadError : public Exception {
public:
    using Exception::Exception;
};

// A value that the stream's fields cannot carry (a text longer than 65,535
// bytes, a template of more than 256 pages).
class EWriteError : public Exception {
public:
    using Exception::Exception;
};

class TrpStream {
public:
    TrpStream() = default;
    explicit TrpStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    explicit TrpStream(std::string_view bytes) : bytes_(bytes.begin(), bytes.end()) {}

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::string ToString() const { return std::string(bytes_.begin(), bytes_.end()); }
    std::size_t Size() const { return bytes_.size(); }
    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return bytes_.size() - pos_; }
    bool AtEnd() const { return pos_ >= bytes_.size(); }

    // Raises EReadError for a position beyond the end.
    void Seek(std::size_t position);
    void Skip(std::size_t count);
    // Drops everything after the position.
    void Truncate();

    void Read(void* target, std::size_t count);
    std::string ReadBytes(std::size_t count);
    std::uint8_t ReadByte();
    std::int16_t ReadInt16();
    std::uint16_t ReadUInt16();
    std::int32_t ReadInt32();
    std::uint32_t ReadUInt32();
    double ReadDouble();

    // Writing overwrites at the position and grows the stream as needed.
    void Write(const void* source, std::size_t count);
    void WriteBytes(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
    void WriteByte(std::uint8_t value) { Write(&value, 1); }
    void WriteInt16(std::int16_t value) { WriteUInt16(static_cast<std::uint16_t>(value)); }
    void WriteUInt16(std::uint16_t value);
    void WriteInt32(std::int32_t value) { WriteUInt32(static_cast<std::uint32_t>(value)); }
    void WriteUInt32(std::uint32_t value);
    void WriteDouble(double value);

    // The template stream version in force while this stream is read or
    // written: it chooses the string forms and the fields that exist.
    int Version = 25;
    // False for a stream that came from a file the user chose; a protected
    // template asks for its password only then.
    bool InMemory = true;

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

} // namespace report
