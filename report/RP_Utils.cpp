#include "RP_Utils.h"

#include <algorithm>

namespace report {

namespace {

constexpr std::size_t kMaxPart = 255;

void CheckLength(std::size_t length, const char* what)
{
    if (length > kMaxStreamString)
        throw EWriteError(std::string(what) + " of " + std::to_string(length) +
                          " bytes is too long for a template stream");
}

} // namespace

std::string ReadCountedString(TrpStream& stream)
{
    const std::uint16_t length = stream.ReadUInt16();
    if (std::size_t(length) + 1 > stream.Remaining())
        throw EReadError("Stream read error");
    std::string text = stream.ReadBytes(length);
    stream.ReadByte();
    return text;
}

void WriteCountedString(TrpStream& stream, std::string_view text)
{
    CheckLength(text.size(), "a text");
    stream.WriteUInt16(static_cast<std::uint16_t>(text.size()));
    stream.WriteBytes(text);
    stream.WriteByte(0);
}

std::string ReadZeroString(TrpStream& stream)
{
    const auto& bytes = stream.Bytes();
    const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(stream.Position());
    const auto zero = std::find(begin, bytes.end(), std::uint8_t(0));
    if (zero == bytes.end())
        throw EReadError("Stream read error");
    std::string text = stream.ReadBytes(static_cast<std::size_t>(zero - begin));
    stream.ReadByte();
    return text;
}

void ReadLineList(TrpStream& stream, TrpLines& lines)
{
    lines.clear();
    const std::uint16_t count = stream.ReadUInt16();
    if (count == 0) {
        stream.ReadByte();
        return;
    }
    for (;;) {
        const std::uint16_t length = stream.ReadUInt16();
        if (std::size_t(length) + 1 > stream.Remaining())
            throw EReadError("Stream read error");
        lines.push_back(stream.ReadBytes(length));
        if (stream.ReadByte() == 0)
            return;
    }
}

void WriteLineList(TrpStream& stream, const TrpLines& lines)
{
    for (const auto& line : lines)
        CheckLength(line.size(), "a line");
    stream.WriteUInt16(static_cast<std::uint16_t>(std::min<std::size_t>(lines.size(), 0xFFFF)));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        stream.WriteUInt16(static_cast<std::uint16_t>(lines[i].size()));
        stream.WriteBytes(lines[i]);
        if (i + 1 < lines.size())
            stream.WriteByte(13);
    }
    stream.WriteByte(0);
}

void ReadLineListOld(TrpStream& stream, TrpLines& lines)
{
    lines.clear();
    const std::string text = ReadZeroString(stream);
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == 13) {
            lines.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
}

std::uint16_t ReadUInt16(TrpStream& stream)
{
    return stream.ReadUInt16();
}

void WriteUInt16(TrpStream& stream, std::uint16_t value)
{
    stream.WriteUInt16(value);
}

void WriteInt32(TrpStream& stream, std::int32_t value)
{
    stream.WriteInt32(value);
}

std::string ReadStreamString(TrpStream& stream)
{
    return stream.Version < 23 ? ReadZeroString(stream) : ReadCountedString(stream);
}

void ReadStreamLines(TrpStream& stream, TrpLines& lines)
{
    if (stream.Version < 23)
        ReadLineListOld(stream, lines);
    else
        ReadLineList(stream, lines);
}

TrpLines SplitTextLines(std::string_view text)
{
    TrpLines lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            ++i;
            if (c == '\r' && i < text.size() && text[i] == '\n')
                ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string JoinTextLines(const TrpLines& lines)
{
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

TrpFontStyles FontStyleFromBits(int code)
{
    TrpFontStyles styles;
    styles.italic = (code & 1) != 0;
    styles.bold = (code & 2) != 0;
    styles.underline = (code & 4) != 0;
    styles.strikeOut = (code & 8) != 0;
    return styles;
}

int FontStyleToBits(const TrpFontStyles& styles)
{
    return (styles.italic ? 1 : 0) | (styles.bold ? 2 : 0) | (styles.underline ? 4 : 0) |
           (styles.strikeOut ? 8 : 0);
}

std::string StripDoubleQuotes(std::string_view text)
{
    if (text.size() > 2 && text.front() == '"' && text.back() == '"')
        return std::string(text.substr(1, text.size() - 2));
    return std::string(text);
}

std::string NextSemicolonItem(std::string_view text, std::size_t& position)
{
    if (position < 1)
        position = 1;
    if (position > text.size()) {
        position = text.size() + 1;
        return {};
    }
    const std::size_t start = position - 1;
    const std::size_t end = text.find(';', start);
    if (end == std::string_view::npos) {
        position = text.size() + 1;
        return std::string(text.substr(start));
    }
    position = end + 2;
    return std::string(text.substr(start, end - start));
}

void SplitToList(std::string_view text, TrpLines& list)
{
    list.clear();
    std::size_t position = 1;
    while (position <= text.size())
        list.push_back(NextSemicolonItem(text, position));
}

std::string BytesToHex(std::string_view bytes)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        hex += kDigits[b >> 4];
        hex += kDigits[b & 15];
    }
    return hex;
}

std::string HexToBytes(std::string_view hex)
{
    const auto digit = [](char c) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        const int value = static_cast<unsigned char>(c);
        return value > '9' ? value - 55 : value - 48;
    };
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(((digit(hex[i]) << 4) + digit(hex[i + 1])) & 0xFF);
    return bytes;
}

TrpFieldReferenceParts ParseFieldReference(std::string_view reference)
{
    TrpFieldReferenceParts result;
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < reference.size(); ++i) {
        if (reference[i] == '"') {
            result.parts.emplace_back(reference.substr(i, kMaxPart));
            quoted = true;
            break;
        }
        if (reference[i] == '.') {
            result.parts.emplace_back(reference.substr(start, std::min(i - start, kMaxPart)));
            ++result.points;
            start = i + 1;
        }
    }
    if (!quoted && start < reference.size())
        result.parts.emplace_back(reference.substr(start, kMaxPart));
    return result;
}

void SplitFieldReference(std::string_view reference, TDataSet*& dataSet, std::string& fieldName,
                         TrpFieldLookup& lookup)
{
    fieldName.clear();
    const TrpFieldReferenceParts ref = ParseFieldReference(reference);
    const auto& parts = ref.parts;
    const auto fieldFrom = [&](std::size_t index) {
        if (dataSet != nullptr && index < parts.size())
            fieldName = lookup.FieldNameIfPresent(dataSet, StripDoubleQuotes(parts[index]));
    };
    switch (ref.points) {
    case 0:
        if (dataSet != nullptr)
            fieldName = lookup.FieldNameIfPresent(dataSet, StripDoubleQuotes(reference));
        break;
    case 1:
        if (parts.size() >= 2) {
            dataSet = lookup.FindDataSet({parts[0]});
            fieldFrom(1);
        }
        break;
    case 2:
    case 3: {
        const std::size_t names = static_cast<std::size_t>(ref.points);
        if (ref.points == 2 && !parts.empty() && !lookup.HasForm(parts[0])) {
            fieldFrom(2);  // no such form: the data set passed in stays
            break;
        }
        if (parts.size() >= names) {
            dataSet = lookup.FindDataSet(std::vector<std::string>(parts.begin(), parts.begin() + names));
            fieldFrom(names);
        }
        break;
    }
    default:
        break;
    }
}

} // namespace report
