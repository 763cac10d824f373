#include "RpTemplateStream.h"

#include <chrono>

namespace report {

namespace {

// A next-record position that does not lie ahead of the reader inside the
// stream: the record structure itself is broken, and no record after it
// can be trusted.
class EDamagedRecord : public Exception {
public:
    using Exception::Exception;
};

std::size_t ReadNextPosition(TrpStream& stream)
{
    const auto next = static_cast<std::uint32_t>(stream.ReadInt32());
    if (next < stream.Position() || next > stream.Size())
        throw EDamagedRecord("next-record position " + std::to_string(next) + " lies outside the record");
    return next;
}

std::string ReadShortCounted(TrpStream& stream)
{
    const std::uint16_t length = stream.ReadUInt16();
    return stream.ReadBytes(length);
}

void WriteShortCounted(TrpStream& stream, const std::string& text)
{
    if (text.size() > kMaxStreamString)
        throw EWriteError("a report information text is too long for a template stream");
    stream.WriteUInt16(static_cast<std::uint16_t>(text.size()));
    stream.WriteBytes(text);
}

double SystemNow()
{
    using namespace std::chrono;
    const double seconds = duration<double>(system_clock::now().time_since_epoch()).count();
    return 25569.0 + seconds / 86400.0;  // 1970-01-01 in days since 1899-12-30
}

} // namespace

TrpReportTemplate::TrpReportTemplate()
    : Now(SystemNow)
{
    ResetInfo();
}

void TrpReportTemplate::ResetInfo()
{
    const double now = Now ? Now() : SystemNow();
    Info = TrpReportInfo();
    Info.Created = Info.LastChange = now;
}

void TrpReportTemplate::Clear()
{
    Pages.Clear();
    Dictionary.Clear();
    DoublePassReport = 0;
    ResetInfo();
}

void TrpReportTemplate::ReplaceByEmptyPage()
{
    Clear();
    Pages.Add();
}

void TrpReportTemplate::Fail(const std::string& message)
{
    LastMessage = message;
    if (OnError)
        OnError(message);
}

// ---- reading ----------------------------------------------------------------

TrpTemplateStatus TrpReportTemplate::ReadTemplate(TrpStream& stream)
{
    LastMessage.clear();
    Dictionary.Clear();
    if (stream.AtEnd())
        return TrpTemplateStatus::EmptyStream;
    int version = stream.ReadByte();
    if (version < kOldestTemplateVersion) {
        stream.Seek(0);
        version = kOldestTemplateVersion;
    }
    if (version > kTemplateVersion) {
        Fail(kUnsupportedFormat);
        return TrpTemplateStatus::UnsupportedVersion;
    }
    stream.Version = version;
    std::string missing;
    try {
        ReadRecords(stream, missing);
        if (!missing.empty()) {
            Fail("Report contains the following non-plugged components:\r" + missing +
                 "You must include these components into your project.");
            return TrpTemplateStatus::MissingClasses;
        }
        for (std::size_t i = 0; i < Pages.Count(); ++i)
            for (const auto& view : Pages.Page(i).Objects)
                view->AfterTemplateLoad();
        if (!stream.AtEnd())
            ReadInfo(stream);
        else
            ResetInfo();
    } catch (const std::exception&) {
        ReplaceByEmptyPage();
        Fail(kUnsupportedFormat);
        return TrpTemplateStatus::Damaged;
    }
    if (Info.Protected != 0 && !stream.InMemory) {
        std::string entered;
        if (!OnPassword || !OnPassword(entered) || entered != Info.Password) {
            ReplaceByEmptyPage();
            FileName = kUntitled;
            return TrpTemplateStatus::PasswordRefused;
        }
    }
    return TrpTemplateStatus::Loaded;
}

void TrpReportTemplate::ReadRecords(TrpStream& stream, std::string& missing)
{
    Clear();
    const TrpNameIndexScope nameIndex(Pages);
    KeepDefaultPrinter = stream.ReadInt16();
    DoublePassReport = stream.ReadInt16();
    std::string printer = ReadStreamString(stream);
    if (printer == "\001")
        printer = VirtualPrinterName;
    PrinterName = printer;
    if (KeepDefaultPrinter == 0 && OnSelectPrinter)
        OnSelectPrinter(PrinterName);

    while (!stream.AtEnd()) {
        const std::uint8_t type = stream.ReadByte();
        if (type == RecordType::Page) {
            TrpPage& page = Pages.Add();
            page.ReadRecord(stream);
            Pages.NoteName(page.Name);
        } else if (type == RecordType::Dictionary) {
            Dictionary.ReadDictionary(stream);
        } else if (type == RecordType::Extension) {
            stream.ReadByte();
            break;
        } else if (type == RecordType::End) {
            break;
        } else if (type <= ObjectType::AddIn) {
            ReadObjectRecord(stream, type, missing);
        } else {
            throw Exception();
        }
    }
}

void TrpReportTemplate::ReadObjectRecord(TrpStream& stream, std::uint8_t type, std::string& missing)
{
    const int version = stream.Version;
    std::string className;
    if (type == ObjectType::AddIn) {
        className = ReadStreamString(stream);
        const std::string upper = UpperName(className);
        if (upper == "TRPBDELOOKUPCONTROL" || upper == "TRPIBXLOOKUPCONTROL")
            className = "TrpDBLookupControl";
    }
    const bool framedMemo = type == ObjectType::AddIn && UpperName(className) == "TRPFRAMEDMEMOVIEW";
    const std::uint8_t pageIndex = stream.ReadByte();
    TrpView* view = nullptr;
    bool haveNext = false;
    std::size_t next = 0;
    try {
        if (pageIndex >= Pages.Count())
            throw EReadError("object on page " + std::to_string(pageIndex) + " of " +
                             std::to_string(Pages.Count()));
        std::unique_ptr<TrpView> created =
            framedMemo ? CreateViewByType(ObjectType::Text, {}) : CreateViewByType(type, className, AddIns);
        if (created != nullptr)
            view = Pages.Page(pageIndex).AddObject(std::move(created));
        if (version >= 24) {
            next = ReadNextPosition(stream);
            haveNext = true;
        }
        if (view != nullptr) {
            try {
                view->PreparedMode = false;
                view->ReadFromStream(stream);
            } catch (...) {
                view->AssignProperty("NAME", Variant(view->Name));
                Pages.NoteName(view->Name);
                throw;
            }
            view->AssignProperty("NAME", Variant(view->Name));
            Pages.NoteName(view->Name);
        }
        if (framedMemo)
            stream.Skip(8);
        if (haveNext)
            stream.Seek(next);
    } catch (const EDamagedRecord&) {
        throw;
    } catch (const std::exception& error) {
        if (const auto* notFound = dynamic_cast<const EClassNotFound*>(&error))
            missing += notFound->what();
        if (version >= 24) {
            if (!haveNext)
                next = ReadNextPosition(stream);
            stream.Seek(next);
        }
    }
}

void TrpReportTemplate::ReadInfo(TrpStream& stream)
{
    Info.Comment = ReadShortCounted(stream);
    Info.Name = ReadShortCounted(stream);
    Info.Author = ReadShortCounted(stream);
    Info.VersionMajor = ReadShortCounted(stream);
    Info.VersionMinor = ReadShortCounted(stream);
    Info.VersionRelease = ReadShortCounted(stream);
    Info.VersionBuild = ReadShortCounted(stream);
    Info.Password = HexToBytes(ReadShortCounted(stream));
    Info.Marker = stream.ReadByte();
    Info.Protected = stream.ReadByte();
    Info.Created = stream.ReadDouble();
    Info.LastChange = stream.ReadDouble();
}

TrpTemplateStatus TrpReportTemplate::ReadReportForm(TrpStream& property, bool storeInDfm)
{
    LastMessage.clear();
    try {
        property.ReadInt32();
        if (!storeInDfm)
            return TrpTemplateStatus::EmptyStream;
        const std::int32_t length = property.ReadInt32();
        if (length < 0 || static_cast<std::size_t>(length) > property.Remaining())
            throw EReadError("the stored template is longer than the property");
        TrpStream held(property.ReadBytes(static_cast<std::size_t>(length)));
        held.InMemory = true;
        return ReadTemplate(held);
    } catch (const EReadError&) {
        ReplaceByEmptyPage();
        Fail(kUnsupportedFormat);
        return TrpTemplateStatus::Damaged;
    }
}

// ---- writing ----------------------------------------------------------------

void TrpReportTemplate::WriteTemplate(TrpStream& stream)
{
    if (Pages.Count() > kMaxTemplatePages)
        throw EWriteError("a template holds at most 256 pages, this one has " + std::to_string(Pages.Count()));
    stream.Version = kTemplateVersion;
    stream.WriteByte(kTemplateVersion);
    stream.WriteInt16(KeepDefaultPrinter);
    stream.WriteInt16(DoublePassReport);
    WriteCountedString(stream, PrinterName == VirtualPrinterName ? std::string("\001") : PrinterName);
    for (std::size_t i = 0; i < Pages.Count(); ++i) {
        stream.WriteByte(RecordType::Page);
        Pages.Page(i).WriteRecord(stream);
    }
    for (std::size_t i = 0; i < Pages.Count(); ++i) {
        for (const auto& view : Pages.Page(i).Objects) {
            stream.WriteByte(view->TypeCode);
            if (view->TypeCode == ObjectType::AddIn)
                WriteCountedString(stream, view->ClassName());
            stream.WriteByte(static_cast<std::uint8_t>(i));
            const std::size_t placeholder = stream.Position();
            stream.WriteInt32(0);
            view->PreparedMode = false;
            view->WriteToStream(stream);
            const std::size_t end = stream.Position();
            stream.Seek(placeholder);
            stream.WriteInt32(static_cast<std::int32_t>(end));
            stream.Seek(end);
        }
    }
    stream.WriteByte(RecordType::Dictionary);
    Dictionary.WriteDictionary(stream);
    stream.WriteByte(RecordType::End);
    WriteInfo(stream);
}

void TrpReportTemplate::WriteInfo(TrpStream& stream)
{
    WriteShortCounted(stream, Info.Comment);
    WriteShortCounted(stream, Info.Name);
    WriteShortCounted(stream, Info.Author);
    WriteShortCounted(stream, Info.VersionMajor);
    WriteShortCounted(stream, Info.VersionMinor);
    WriteShortCounted(stream, Info.VersionRelease);
    WriteShortCounted(stream, Info.VersionBuild);
    WriteShortCounted(stream, BytesToHex(Info.Password));
    stream.WriteByte(Info.Marker);
    stream.WriteByte(Info.Protected);
    stream.WriteDouble(Info.Created);
    Info.LastChange = Now ? Now() : SystemNow();
    stream.WriteDouble(Info.LastChange);
}

void TrpReportTemplate::WriteReportForm(TrpStream& property, bool storeInDfm)
{
    property.WriteInt32(kTemplateVersion);
    if (!storeInDfm)
        return;
    TrpStream body;
    WriteTemplate(body);
    property.WriteInt32(static_cast<std::int32_t>(body.Size()));
    property.Write(body.Bytes().data(), body.Size());
}

} // namespace report
