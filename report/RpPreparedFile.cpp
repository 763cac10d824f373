// The prepared-report file (".rpp") of TrpEMFPages.  All integers are
// little-endian.
//
// Current layout, as written:
//   byte 25 (version); byte 0 (compression); the selected printer's name
//   (stream string); int32 page count; per page: int32 end position (the
//   file offset after the page), uint16 paper size, int32 width, int32
//   height, byte orientation, int32 bin, byte use-margins flag, 4 x int32
//   margins, then the page's content stream; last the report's marker byte.
// Files whose first byte is not 24..31 have no version byte: strings are
// zero-terminated and the pages have neither bin nor margins.  Files whose
// compression byte is neither 0, 1 nor 255 are of the old layout, whose
// pages are platform metafiles (see ReadOldLayout).

#include "RpEMFPages.h"

#include "RpPictureView.h"

#include "platform/QtFileIo.h"

#include <QFile>

#include <functional>
#include <limits>

namespace report {

namespace {

constexpr std::size_t kMaxFileSize = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
// Bytes of a page's fields before its content, as written.
constexpr std::size_t kPageHeaderSize = 4 + 2 + 4 + 4 + 1 + 4 + 1 + 4 * 4;

// The page's data ends at the position read: it must lie ahead of the
// reader and inside the file.
std::size_t CheckedEnd(const TrpStream& stream, std::uint32_t end)
{
    if (end < stream.Position() || end > stream.Size())
        throw EReadError("a page ends at " + std::to_string(end) + ", outside the file");
    return end;
}

TrpStream CopyOf(const TrpStream& stream, std::size_t end)
{
    const auto& bytes = stream.Bytes();
    return TrpStream(std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(stream.Position()),
                                               bytes.begin() + static_cast<std::ptrdiff_t>(end)));
}

std::string DamagedMessage(std::size_t read, std::int64_t declared)
{
    if (declared < 0 || (read == 0 && declared == 0))
        return "The prepared report file is damaged; no page could be read.";
    return "The prepared report file is damaged; " + std::to_string(read) + " of its " + std::to_string(declared) +
           " pages could be read.";
}

std::int64_t ReadPageCount(TrpStream& stream)
{
    const std::int32_t count = stream.ReadInt32();
    if (count < 0)
        throw EReadError("negative page count");
    return count;
}

// The fields that every layout begins a page with; gives the end position.
// A sheet of more than 290 m is no paper but damage.
std::uint32_t ReadPageStart(TrpStream& stream, TrpEMFPage& record)
{
    constexpr std::int32_t kMaxPaper = 2'900'000;  // tenths of a millimetre
    const auto end = static_cast<std::uint32_t>(stream.ReadInt32());
    record.PaperSize = static_cast<std::int16_t>(stream.ReadUInt16());
    record.Width = stream.ReadInt32();
    record.Height = stream.ReadInt32();
    record.Orientation = stream.ReadByte();
    if (record.Width < 0 || record.Width > kMaxPaper || record.Height < 0 || record.Height > kMaxPaper)
        throw EReadError("a page's paper is beyond any paper");
    return end;
}

using Sink = std::function<void(const std::uint8_t* bytes, std::size_t count)>;

} // namespace

// ---- reading ------------------------------------------------------------------

TrpPreparedResult TrpEMFPages::ReadPrepared(TrpStream& stream)
{
    Clear();
    std::int64_t declared = -1;
    try {
        stream.Seek(0);
        int version = stream.ReadByte();
        if (version < 24 || version > 31) {
            version = 0;
            stream.Seek(0);
        }
        stream.Version = version;
        const std::uint8_t compression = stream.ReadByte();
        if (compression == 1 || compression == 255) {
            // Packed content that this program has no unpacker for.
            return {TrpPreparedStatus::Compressed, kCompressedMessage};
        }
        if (compression != 0)
            ReadOldLayout(stream, declared);
        else
            ReadCurrentLayout(stream, version, declared);
    } catch (const std::exception&) {
        return {TrpPreparedStatus::Damaged, DamagedMessage(pages_.size(), declared)};
    }
    return {};
}

void TrpEMFPages::ReadCurrentLayout(TrpStream& stream, int version, std::int64_t& declared)
{
    owner_->SelectPrinter(ReadStreamString(stream));
    declared = ReadPageCount(stream);
    for (std::int64_t i = 0; i < declared; ++i) {
        auto record = std::make_unique<TrpEMFPage>();
        const std::uint32_t end = ReadPageStart(stream, *record);
        record->Bin = version > 23 ? stream.ReadInt32() : -1;
        record->UseMargins = stream.ReadByte();
        if (version > 23) {
            record->MarginLeft = stream.ReadInt32();
            record->MarginTop = stream.ReadInt32();
            record->MarginRight = stream.ReadInt32();
            record->MarginBottom = stream.ReadInt32();
        }
        for (const std::int32_t margin :
             {record->MarginLeft, record->MarginTop, record->MarginRight, record->MarginBottom})
            if (margin < -kMaxCoordinate || margin > kMaxCoordinate)
                throw EReadError("a margin of page " + std::to_string(i + 1) + " is beyond any paper");
        const std::size_t pageEnd = CheckedEnd(stream, end);
        record->Content = CopyOf(stream, pageEnd);
        KeepReadPage(std::move(record));
        stream.Seek(pageEnd);
    }
    owner_->SetReportMarker(stream.ReadByte());
}

// The printer model takes the page's paper and gives its geometry; the
// objects are read once to prove the page whole (a sheet beyond any paper
// gives an old page's picture such geometry), then dropped.
void TrpEMFPages::KeepReadPage(std::unique_ptr<TrpEMFPage> record)
{
    const std::unique_ptr<TrpPage> probe = MakePage(*record);
    record->PageInfo = probe->PageInfo;
    if (!ReadObjects(record->Content, *probe, false))
        throw EReadError("damaged objects in page " + std::to_string(pages_.size() + 1));
    pages_.push_back(std::move(record));
}

// The old layout: a zero-terminated text whose first line names the
// printer; int32 page count; per page int32 end position, uint16 paper
// size, int32 width, int32 height, byte orientation, byte use-margins flag
// and the page as a metafile.  Metafiles have no player here: each becomes
// a picture object over the whole sheet that keeps its bytes unchanged and
// draws nothing.
void TrpEMFPages::ReadOldLayout(TrpStream& stream, std::int64_t& declared)
{
    stream.Seek(0);
    const std::string text = ReadZeroString(stream);
    owner_->SelectPrinter(text.substr(0, text.find_first_of("\r\n")));
    declared = ReadPageCount(stream);
    for (std::int64_t i = 0; i < declared; ++i) {
        auto record = std::make_unique<TrpEMFPage>();
        const std::uint32_t end = ReadPageStart(stream, *record);
        record->UseMargins = stream.ReadByte();
        record->Bin = -1;
        const std::size_t pageEnd = CheckedEnd(stream, end);
        record->PageInfo = PageInfoFor(*record);

        TrpPictureView picture;
        picture.Width = record->PageInfo.SheetWidth;
        picture.Height = record->PageInfo.SheetHeight;
        picture.Picture.Load(TrpPictureKind::Metafile, stream.ReadBytes(pageEnd - stream.Position()));
        picture.PreparedMode = true;
        record->Content.WriteByte(kPreparedVersion);
        record->Content.WriteByte(ObjectType::Picture);
        picture.WriteToStream(record->Content);
        KeepReadPage(std::move(record));
        stream.Seek(pageEnd);
    }
}

TrpPreparedResult TrpEMFPages::LoadFromFile(const QString& path)
{
    QFile file;
    const auto unreadable = [&path](const QString& reason) {
        return TrpPreparedResult{TrpPreparedStatus::Unreadable, (path + QStringLiteral(": ") + reason).toStdString()};
    };
    if (QString reason; !platform::OpenRegularFile(file, path, reason))
        return unreadable(reason);
    if (static_cast<std::uint64_t>(file.size()) > kMaxFileSize)
        return unreadable(QStringLiteral("The file is too large for a prepared report."));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return unreadable(file.errorString());
    TrpStream stream(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    stream.InMemory = false;
    return ReadPrepared(stream);
}

// ---- writing ------------------------------------------------------------------

namespace {

// Each page's end position is known before its bytes are written (its
// header and content sizes), so a file is written front to back in one go.
void WritePages(TrpEMFPages& pages, std::size_t base, const std::string& printer, std::uint8_t marker,
                const Sink& sink)
{
    TrpStream head;
    head.WriteByte(kPreparedVersion);
    head.WriteByte(0);  // no compression
    WriteCountedString(head, printer);
    std::size_t total = base + head.Size() + 4 + 1;
    for (std::size_t i = 0; i < pages.Count(); ++i)
        total += kPageHeaderSize + pages.PageRecord(i).Content.Size();
    if (total > kMaxFileSize || pages.Count() > kMaxFileSize)
        throw EWriteError("the prepared report is larger than a file can hold (2 GB)");
    head.WriteInt32(static_cast<std::int32_t>(pages.Count()));
    sink(head.Bytes().data(), head.Size());

    std::size_t offset = base + head.Size();
    for (std::size_t i = 0; i < pages.Count(); ++i) {
        const TrpEMFPage& record = pages.PageRecord(i);
        const std::size_t end = offset + kPageHeaderSize + record.Content.Size();
        TrpStream header;
        header.WriteInt32(static_cast<std::int32_t>(end));
        header.WriteUInt16(static_cast<std::uint16_t>(record.PaperSize));
        header.WriteInt32(record.Width);
        header.WriteInt32(record.Height);
        header.WriteByte(record.Orientation);
        header.WriteInt32(record.Bin);
        header.WriteByte(record.UseMargins);
        header.WriteInt32(record.MarginLeft);
        header.WriteInt32(record.MarginTop);
        header.WriteInt32(record.MarginRight);
        header.WriteInt32(record.MarginBottom);
        sink(header.Bytes().data(), header.Size());
        sink(record.Content.Bytes().data(), record.Content.Size());
        offset = end;
    }
    sink(&marker, 1);
}

} // namespace

void TrpEMFPages::WritePrepared(TrpStream& stream)
{
    WritePages(*this, stream.Position(), owner_->SelectedPrinterName(), owner_->ReportMarker(),
               [&](const std::uint8_t* bytes, std::size_t count) { stream.Write(bytes, count); });
}

void TrpEMFPages::SaveToFile(const QString& path)
{
    platform::CheckedSaveFile file(path);
    const auto fail = [&] {
        throw EWriteError(("Cannot write " + path + ": " + file.errorString()).toStdString());
    };
    if (!file.open())
        fail();
    WritePages(*this, 0, owner_->SelectedPrinterName(), owner_->ReportMarker(),
               [&](const std::uint8_t* bytes, std::size_t count) {
                   if (!file.write(reinterpret_cast<const char*>(bytes), static_cast<qint64>(count)))
                       fail();
               });
    if (!file.commit())
        fail();
}

} // namespace report
