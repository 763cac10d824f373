#include "RpDictionary.h"

namespace report {

namespace {

// The smallest entries: two empty counted strings; a kind, an index and
// three empty short texts.
constexpr std::size_t kMinEntry = 6;
constexpr std::size_t kMinLegacyEntry = 8;

std::size_t ReadCount(TrpStream& stream, std::size_t minEntry)
{
    const std::int32_t count = stream.ReadInt32();
    if (count < 0 || static_cast<std::size_t>(count) > stream.Remaining() / minEntry ||
        static_cast<std::size_t>(count) > TrpDataDictionary::kMaxEntries)
        throw EReadError("dictionary count " + std::to_string(count) + " does not fit the stream");
    return static_cast<std::size_t>(count);
}

void ReadList(TrpStream& stream, TrpVariables& list)
{
    list.Clear();
    const std::size_t count = ReadCount(stream, kMinEntry);
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = ReadCountedString(stream);
        std::string value = ReadCountedString(stream);
        list.SetVariable(name, Variant(std::move(value)));
    }
}

void WriteList(TrpStream& stream, const TrpVariables& list)
{
    stream.WriteInt32(list.GetCount());
    for (int i = 0; i < list.GetCount(); ++i) {
        WriteCountedString(stream, list.GetName(i));
        const Variant value = list.GetValue(i);
        WriteCountedString(stream, value.isNull() ? std::string() : value.toText());
    }
}

std::string ReadShortText(TrpStream& stream)
{
    return stream.ReadBytes(stream.ReadByte());
}

} // namespace

void TrpDataDictionary::Clear()
{
    Variables.Clear();
    FieldAliases.Clear();
    BandDatasources.Clear();
    LegacyFields.clear();
}

void TrpDataDictionary::ReadDictionary(TrpStream& stream)
{
    Clear();
    const std::int16_t marker = stream.ReadInt16();
    if (marker == -1 || marker == -2) {
        ReadList(stream, Variables);
        ReadList(stream, FieldAliases);
        ReadList(stream, BandDatasources);
        return;
    }
    stream.Seek(stream.Position() - 2);
    const std::size_t count = ReadCount(stream, kMinLegacyEntry);
    for (std::size_t i = 0; i < count; ++i) {
        LegacyField field;
        field.Kind = stream.ReadByte();
        field.Index = stream.ReadInt32();
        for (auto& text : field.Texts)
            text = ReadShortText(stream);
        LegacyFields.push_back(std::move(field));
    }
    TrpLines names;
    ReadStreamLines(stream, names);
    if (names.size() > kMaxEntries)
        throw EReadError("the dictionary holds more than " + std::to_string(kMaxEntries) + " variables");
    for (const auto& name : names)
        Variables.SetVariable(name, Variant(std::string()));
}

void TrpDataDictionary::WriteDictionary(TrpStream& stream) const
{
    stream.WriteInt16(-2);
    WriteList(stream, Variables);
    WriteList(stream, FieldAliases);
    WriteList(stream, BandDatasources);
}

} // namespace report
