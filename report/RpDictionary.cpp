#include "RpDictionary.h"

#include <algorithm>

namespace report {

namespace {

// The smallest entries: two empty counted strings; a kind, an index and
// three empty short texts.
constexpr std::size_t kMinEntry = 6;
constexpr std::size_t kMinLegacyEntry = 8;

// Kinds of the old layout's field entries.
constexpr std::uint8_t kLegacyDataField = 1;
constexpr std::uint8_t kLegacySpecialValue = 2;
// The special values of the old layout by index; index 1 held an
// expression of its own in the entry's second text.
constexpr const char* kLegacySpecialNames[] = {"VALUE", nullptr, "PAGE#", "DATE", "TIME", "LINE#",
                                              "LINETHROUGH#", "COLUMN#", "CURRENT#", "TOTALPAGES"};

std::string Upper(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && Upper(text.substr(0, prefix.size())) == Upper(prefix);
}

bool IsHeading(const std::string& name)
{
    return !name.empty() && name.front() == ' ';
}

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

// Finds nothing: the lookup of a dictionary outside a run.
class NoFieldLookup final : public TrpFieldLookup {
public:
    TDataSet* FindDataSet(const std::vector<std::string>&) override { return nullptr; }
    bool HasForm(const std::string&) override { return false; }
    std::string FieldNameIfPresent(TDataSet*, const std::string&) override { return {}; }
};

// Marks a variable's expression as being evaluated for as long as it is.
class EvaluatingScope {
public:
    EvaluatingScope(std::vector<std::string>& names, std::string name) : names_(names)
    {
        names_.push_back(std::move(name));
    }
    ~EvaluatingScope() { names_.pop_back(); }
    EvaluatingScope(const EvaluatingScope&) = delete;
    EvaluatingScope& operator=(const EvaluatingScope&) = delete;

private:
    std::vector<std::string>& names_;
};

} // namespace

void TrpDataDictionary::Clear()
{
    Variables.Clear();
    FieldAliases.Clear();
    BandDatasources.Clear();
}

void TrpDataDictionary::ClearCache()
{
    cache_.clear();
}

bool TrpDataDictionary::ResolvesToField(const std::string& reference, TDataSet* start, CacheEntry& entry)
{
    NoFieldLookup none;
    TrpFieldLookup& lookup = Host != nullptr ? Host->FieldLookup() : none;
    TDataSet* dataSet = start;
    std::string field;
    SplitFieldReference(reference, dataSet, field, lookup);
    if (field.empty() || dataSet == nullptr)
        return false;
    entry.DataSet = dataSet;
    entry.FieldName = field;
    return true;
}

bool TrpDataDictionary::IsVariable(const std::string& name)
{
    const std::string key = Upper(name);
    if (std::find(evaluating_.begin(), evaluating_.end(), key) != evaluating_.end())
        return false;
    if (cache_.count(key) != 0)
        return true;
    CacheEntry entry;
    const int index = Variables.IndexOf(name);
    if (index >= 0) {
        const Variant value = Variables.GetValue(index);
        if (!value.isNull()) {
            const std::string text = value.toText();
            TDataSet* start = Host != nullptr ? Host->CurrentBandDataSet() : nullptr;
            if (text.find('.') != std::string::npos && ResolvesToField(text, start, entry))
                cache_[key] = entry;
        }
        return true;
    }
    std::string reference = name;
    std::string dataSetPart, fieldPart;
    if (SplitFieldName(name, dataSetPart, fieldPart)) {
        dataSetPart = RealDataSetName(dataSetPart);
        for (int i = 0; i < FieldAliases.GetCount(); ++i) {
            const std::string aliasName = FieldAliases.GetName(i);
            const Variant alias = FieldAliases.GetValue(i);
            if (alias.isNull() || Upper(alias.toText()) != Upper(fieldPart) ||
                !StartsWithNoCase(aliasName, dataSetPart))
                continue;
            const std::size_t point = aliasName.find('.');
            if (point != std::string::npos) {
                fieldPart = aliasName.substr(point + 1);
                break;
            }
        }
        reference = dataSetPart + ".\"" + fieldPart + "\"";
    }
    if (!ResolvesToField(reference, nullptr, entry))
        return false;
    cache_[key] = entry;
    return true;
}

void TrpDataDictionary::GetValue(const std::string& name, Variant& value)
{
    value = Variant::null();
    const std::string key = Upper(name);
    const auto cached = cache_.find(key);
    if (cached != cache_.end()) {
        TDataSet* dataSet = cached->second.DataSet;
        if (dataSet == nullptr)
            throw EDatabaseError("The data set of " + name + " no longer exists");
        if (!dataSet->Active())
            dataSet->Open();
        FieldValueAsVariant(dataSet->FieldByName(cached->second.FieldName), value);
        return;
    }
    const int index = Variables.IndexOf(name);
    if (index < 0)
        return;
    if (Host != nullptr) {
        const TrpVariables* script = Host->ScriptVariables();
        if (script != nullptr && script->IndexOf(name) >= 0) {
            value = script->GetVariable(name);
            return;
        }
    }
    value = Variables.GetValue(index);
    if (!value.isText() || value.textValue().empty())
        return;
    const EvaluatingScope scope(evaluating_, key);
    if (Host != nullptr) {
        value = Host->EvaluateExpression(value.textValue());
    } else {
        TrpParser parser;
        value = parser.Evaluate(value.textValue());
    }
}

bool TrpDataDictionary::SplitFieldName(const std::string& text, std::string& dataSetPart, std::string& fieldPart)
{
    bool inside = false;
    for (std::size_t i = text.size(); i-- > 0;) {
        if (text[i] == '"') {
            inside = !inside;
        } else if (text[i] == '.' && !inside) {
            dataSetPart = text.substr(0, i);
            fieldPart = StripDoubleQuotes(text.substr(i + 1));
            return true;
        }
    }
    return false;
}

std::string TrpDataDictionary::RealDataSetName(const std::string& alias) const
{
    const std::string upper = Upper(alias);
    for (int i = 0; i < FieldAliases.GetCount(); ++i) {
        const Variant value = FieldAliases.GetValue(i);
        if (!value.isNull() && Upper(value.toText()) == upper)
            return FieldAliases.GetName(i);
    }
    return alias;
}

void TrpDataDictionary::ReadOldLayout(TrpStream& stream)
{
    const std::size_t count = ReadCount(stream, kMinLegacyEntry);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t kind = stream.ReadByte();
        const std::int32_t index = stream.ReadInt32();
        std::string texts[3];
        for (auto& text : texts)
            text = ReadShortText(stream);
        std::string value;
        if (kind == kLegacyDataField) {
            value = texts[0] + ".\"" + texts[1] + "\"";
        } else if (kind == kLegacySpecialValue && index >= 0 &&
                   static_cast<std::size_t>(index) < std::size(kLegacySpecialNames)) {
            const char* special = kLegacySpecialNames[index];
            value = special != nullptr ? special : texts[1];
        }
        FieldAliases.SetVariable(" " + texts[2], Variant(value));
    }
    TrpLines names;
    ReadStreamLines(stream, names);
    if (names.size() > kMaxEntries)
        throw EReadError("the dictionary holds more than " + std::to_string(kMaxEntries) + " variables");
    // Here the variables carry the leading blank and the headings do not;
    // the names are flipped below.
    for (const auto& name : names) {
        if (IsHeading(name)) {
            const Variant alias = FieldAliases.GetVariable(name);
            Variables.SetVariable(name, alias.isNull() ? Variant(std::string()) : alias);
        } else {
            Variables.SetVariable(name, Variant(std::string()));
        }
    }
    FieldAliases.Clear();
}

void TrpDataDictionary::DropUnusedEntries()
{
    for (int i = Variables.GetCount() - 1; i >= 0; --i) {
        const std::string name = Variables.GetName(i);
        const Variant value = Variables.GetValue(i);
        if (IsHeading(name) || !value.isText() || !value.textValue().empty())
            continue;
        CacheEntry entry;
        if (!ResolvesToField(name, nullptr, entry))
            Variables.Delete(i);
    }
    for (int i = BandDatasources.GetCount() - 1; i >= 0; --i) {
        const Variant value = BandDatasources.GetValue(i);
        if (value.isText() && value.textValue().empty())
            BandDatasources.Delete(i);
    }
}

void TrpDataDictionary::ReadDictionary(TrpStream& stream)
{
    Clear();
    const std::int16_t marker = stream.ReadInt16();
    if (marker == -1 || marker == -2) {
        ReadList(stream, Variables);
        ReadList(stream, FieldAliases);
        ReadList(stream, BandDatasources);
    } else {
        stream.Seek(stream.Position() - 2);
        ReadOldLayout(stream);
    }
    // Older writers put the blank on the variables instead of the headings.
    // A dictionary in this writer's form (-2) always has its headings
    // marked, and one that begins with a variable has no headings at all:
    // flipping it would turn its variables into headings.
    const std::string first = Variables.GetName(0);
    if (marker != -2 && !first.empty() && !IsHeading(first)) {
        for (int i = 0; i < Variables.GetCount(); ++i) {
            const std::string name = Variables.GetName(i);
            Variables.SetName(i, IsHeading(name) ? name.substr(1) : " " + name);
        }
    }
    if (marker == -1)
        DropUnusedEntries();
}

void TrpDataDictionary::WriteDictionary(TrpStream& stream) const
{
    stream.WriteInt16(-2);
    WriteList(stream, Variables);
    WriteList(stream, FieldAliases);
    WriteList(stream, BandDatasources);
}

} // namespace report
