// Prepared-report files: the written layout, reading back, files without a
// version byte, the old layout with metafiles, compressed and damaged files.
#include "FileSizeLimit.h"
#include "PreparedPagesSupport.h"
#include "ScopedFifo.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace report {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::int32_t Int32At(const Bytes& bytes, std::size_t pos)
{
    return static_cast<std::int32_t>(bytes.at(pos) | (bytes.at(pos + 1) << 8) | (bytes.at(pos + 2) << 16) |
                                     (std::uint32_t(bytes.at(pos + 3)) << 24));
}

void PutInt32(Bytes& bytes, std::size_t pos, std::int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(pos + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(std::uint32_t(value) >> (8 * i));
}

class PreparedFile : public ::testing::Test {
protected:
    // Three pages: text and a line on A4; a custom landscape sheet without
    // margins holding a picture and a page link; an empty page.
    void SetUp() override
    {
        owner.SelectPrinter("Office printer");
        owner.SetReportMarker(77);
        TrpPage& a4 = owner.templatePages.Add();
        TrpPage& custom = owner.templatePages.Add();
        custom.ApplyPaper(256, 7, 1800, 1200, 1);
        custom.UseMargins = 0;
        custom.MarginLeft = 36;
        custom.MarginTop = 18;
        custom.MarginRight = 20;
        custom.MarginBottom = 10;

        TrpEMFPage& first = pages.AddPage(a4);
        const auto title = Text("Title", "Event log \"System\"\001", 18, 18);
        Emit(first, *title);
        TrpLineView rule;
        Place(rule, 18, 40, 700, 0);
        Emit(first, rule);

        TrpEMFPage& second = pages.AddPage(custom);
        TrpPictureView picture;
        QImage image(3, 2, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        picture.Picture.SetImage(image);
        Place(picture, 10, 10, 60, 40);
        Emit(second, picture);
        const auto link = Text("URLNext", "next page", 10, 60);
        link->Tag = "@3";
        Emit(second, *link);

        pages.AddPage(a4);
        pages.WritePrepared(written);
    }

    // Where page i's fields begin in the written file.
    std::size_t PageStart(std::size_t index) const
    {
        std::size_t pos = 2 + 2 + 14 + 1 + 4;
        for (std::size_t i = 0; i < index; ++i)
            pos = static_cast<std::size_t>(Int32At(written.Bytes(), pos));
        return pos;
    }

    TrpPreparedResult Read(const Bytes& bytes)
    {
        TrpStream stream(bytes);
        return loaded.ReadPrepared(stream);
    }

    TestOwner owner;
    TrpEMFPages pages{&owner};
    TrpStream written;
    TestOwner otherOwner;
    TrpEMFPages loaded{&otherOwner};
};

TEST_F(PreparedFile, SaveLoadSaveGivesIdenticalBytes)
{
    const Bytes& bytes = written.Bytes();
    EXPECT_EQ(bytes[0], 25);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(std::string(bytes.begin() + 2, bytes.begin() + 19), std::string("\x0E\0Office printer\0", 17));
    EXPECT_EQ(Int32At(bytes, 19), 3);
    EXPECT_EQ(static_cast<std::size_t>(Int32At(bytes, PageStart(0))),
              PageStart(0) + 36 + pages.PageRecord(0).Content.Size());
    EXPECT_EQ(bytes.back(), 77);

    const TrpPreparedResult result = Read(bytes);
    EXPECT_EQ(result.Status, TrpPreparedStatus::Loaded);
    EXPECT_EQ(result.Message, "");
    EXPECT_EQ(otherOwner.SelectedPrinterName(), "Office printer");
    EXPECT_EQ(otherOwner.ReportMarker(), 77);
    ASSERT_EQ(loaded.Count(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const TrpEMFPage& original = pages.PageRecord(i);
        const TrpEMFPage& copy = loaded.PageRecord(i);
        EXPECT_EQ(copy.PaperSize, original.PaperSize) << i;
        EXPECT_EQ(copy.Width, original.Width) << i;
        EXPECT_EQ(copy.Height, original.Height) << i;
        EXPECT_EQ(copy.Orientation, original.Orientation) << i;
        EXPECT_EQ(copy.Bin, original.Bin) << i;
        EXPECT_EQ(copy.UseMargins, original.UseMargins) << i;
        EXPECT_EQ(copy.MarginLeft, original.MarginLeft) << i;
        EXPECT_EQ(copy.MarginBottom, original.MarginBottom) << i;
        EXPECT_EQ(copy.PageInfo.SheetWidth, original.PageInfo.SheetWidth) << i;
        EXPECT_EQ(copy.Content.Bytes(), original.Content.Bytes()) << i;
    }
    EXPECT_EQ(loaded.PageRecord(1).UseMargins, 0);
    EXPECT_EQ(loaded.PageRecord(1).MarginLeft, 36);

    TrpStream again;
    loaded.WritePrepared(again);
    EXPECT_EQ(again.Bytes(), bytes);

    // The same through a file.
    QTemporaryDir dir;
    const QString path = dir.filePath("report.rpp");
    loaded.SaveToFile(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    EXPECT_EQ(Bytes(saved.begin(), saved.end()), bytes);
    TrpEMFPages fromFile{&otherOwner};
    EXPECT_EQ(fromFile.LoadFromFile(path).Status, TrpPreparedStatus::Loaded);
    EXPECT_EQ(fromFile.Count(), 3u);
}

// An add-in object of a prepared file comes back from its class, whatever
// the case of the name the program registered.
TEST_F(PreparedFile, AddInObjectsAreFoundByClassNameInAnyCase)
{
    struct Plug : TrpControl {
        std::string ClassName() const override { return "TPlug"; }
    };
    owner.addIns.Register("TPlug", [] { return std::make_unique<Plug>(); });
    TrpEMFPages withPlug{&owner};
    Plug plug;
    plug.Name = "Plug1";
    Place(plug, 30, 40, 50, 20);
    Emit(withPlug.AddPage(owner.templatePages.Page(0)), plug);
    QTemporaryDir dir;
    const QString path = dir.filePath("plug.rpp");
    withPlug.SaveToFile(path);

    for (const char* registered : {"tplug", "TPLUG"}) {
        SCOPED_TRACE(registered);
        TestOwner reader;
        reader.templatePages.Add();
        reader.addIns.Register(registered, [] { return std::make_unique<Plug>(); });
        TrpEMFPages fromFile{&reader};
        ASSERT_EQ(fromFile.LoadFromFile(path).Status, TrpPreparedStatus::Loaded);
        fromFile.RebuildPage(0);
        const TrpPage* page = fromFile.PageRecord(0).Rebuilt.get();
        ASSERT_NE(page, nullptr);
        ASSERT_EQ(page->Objects.size(), 1u);
        EXPECT_EQ(page->Objects[0]->ClassName(), "TPlug");
        EXPECT_EQ(page->Objects[0]->Name, "Plug1");
        EXPECT_EQ(page->Objects[0]->Left, 30);
    }
}

TEST_F(PreparedFile, AFileThatCannotBeReadLeavesThePages)
{
    QTemporaryDir dir;
    ScopedFifo fifo(dir.filePath("pipe.rpp").toStdString());
    ASSERT_TRUE(fifo.Made());
    for (const QString& path : {dir.filePath("missing.rpp"), dir.path(), QString::fromStdString(fifo.Path())}) {
        SCOPED_TRACE(path.toStdString());
        const TrpPreparedResult result = pages.LoadFromFile(path);
        EXPECT_EQ(result.Status, TrpPreparedStatus::Unreadable);
        EXPECT_NE(result.Message.find(path.toStdString()), std::string::npos) << result.Message;
    }
    EXPECT_FALSE(fifo.Waited()) << "the read waited on the FIFO";
    EXPECT_EQ(pages.Count(), 3u);
    EXPECT_THROW(pages.SaveToFile(dir.filePath("no/such/folder.rpp")), EWriteError);
}

// A save on a disk that is full (a file-size limit: writes past it fail)
// raises an error naming the file and the system's reason and leaves the
// earlier file whole, for a file under 16 KiB and one above.
TEST_F(PreparedFile, ASaveOnAFullDiskLeavesTheEarlierFile)
{
    TrpEMFPages large{&owner};
    TrpEMFPage& page = large.AddPage(owner.templatePages.Page(0));
    for (int i = 0; i < 300; ++i)
        Emit(page, *Text("Line" + std::to_string(i), std::string(300, 'x'), 18, 18 + i));
    ASSERT_LT(written.Size(), 16384u);
    ASSERT_GT(page.Content.Size(), 65536u);
    const struct {
        const char* what;
        TrpEMFPages& pages;
        std::uint64_t limit;
    } cases[] = {{"small", pages, 100}, {"large", large, 20000}, {"no room at all", pages, 0}};
    const std::string earlier = "earlier report";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString target = dir.filePath("report.rpp");
        std::ofstream(target.toStdString(), std::ios::binary) << earlier;
        const ChildOutcome outcome = RunWithFileSizeLimit(c.limit, [&] { c.pages.SaveToFile(target); });
        ASSERT_TRUE(outcome.threw) << outcome.Describe();
        EXPECT_NE(outcome.message.find(target.toStdString()), std::string::npos) << outcome.message;
        EXPECT_NE(outcome.message.find(std::strerror(EFBIG)), std::string::npos) << outcome.message;
        std::ifstream in(target.toStdString(), std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), earlier);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"report.rpp"});
    }
}

// Files without a version byte: a first byte of 0 starts the current
// layout with zero-terminated texts and neither bin nor margins; any other
// first byte outside 24..31 that is not a compression byte starts the old
// layout, whose pages are metafiles.
TEST_F(PreparedFile, FilesWithoutVersionByteHaveDefaultBinsAndNoMargins)
{
    const Bytes content = pages.PageRecord(0).Content.Bytes();
    TrpStream plain;
    plain.WriteByte(0);
    plain.WriteBytes(std::string_view("HP\0", 3));
    plain.WriteInt32(1);
    const std::size_t start = plain.Position();
    plain.WriteInt32(static_cast<std::int32_t>(start + 4 + 2 + 4 + 4 + 1 + 1 + content.size()));
    plain.WriteUInt16(9);
    plain.WriteInt32(2100);
    plain.WriteInt32(2970);
    plain.WriteByte(0);
    plain.WriteByte(1);
    plain.Write(content.data(), content.size());
    plain.WriteByte(88);

    ASSERT_EQ(Read(plain.Bytes()).Status, TrpPreparedStatus::Loaded);
    EXPECT_EQ(otherOwner.SelectedPrinterName(), "HP");
    ASSERT_EQ(loaded.Count(), 1u);
    EXPECT_EQ(loaded.PageRecord(0).Bin, -1);
    EXPECT_EQ(loaded.PageRecord(0).UseMargins, 1);
    EXPECT_EQ(loaded.PageRecord(0).MarginLeft, 0);
    EXPECT_EQ(loaded.PageRecord(0).MarginBottom, 0);
    EXPECT_EQ(loaded.PageRecord(0).Content.Bytes(), content);

    TrpStream old;
    old.WriteBytes(std::string_view("\x17Printer\r\nsecond line\0", 22));
    old.WriteInt32(1);
    const std::size_t oldStart = old.Position();
    old.WriteInt32(static_cast<std::int32_t>(oldStart + 4 + 2 + 4 + 4 + 1 + 1 + 5));
    old.WriteUInt16(9);
    old.WriteInt32(2100);
    old.WriteInt32(2970);
    old.WriteByte(0);
    old.WriteByte(1);
    old.WriteBytes(std::string_view("\1\0\0\0E", 5));
    ASSERT_EQ(Read(old.Bytes()).Status, TrpPreparedStatus::Loaded);
    EXPECT_EQ(otherOwner.SelectedPrinterName(), "\x17Printer");
    ASSERT_EQ(loaded.Count(), 1u);
    EXPECT_EQ(loaded.PageRecord(0).Bin, -1);
    EXPECT_EQ(loaded.PageRecord(0).MarginTop, 0);
}

TEST_F(PreparedFile, OldLayoutMetafilesAreKeptByteForByteAndDrawNothing)
{
    const std::string metafiles[] = {std::string("\xD7\xCD\xC6\x9A\0\0\x01\x02", 8), std::string("\1\0\x09\0any", 7)};
    TrpStream old;
    old.WriteBytes(std::string_view("Old printer\0", 12));
    old.WriteInt32(2);
    for (const std::string& metafile : metafiles) {
        const std::size_t start = old.Position();
        old.WriteInt32(static_cast<std::int32_t>(start + 16 + metafile.size()));
        old.WriteUInt16(9);
        old.WriteInt32(2100);
        old.WriteInt32(2970);
        old.WriteByte(0);
        old.WriteByte(1);
        old.WriteBytes(metafile);
    }
    ASSERT_EQ(Read(old.Bytes()).Status, TrpPreparedStatus::Loaded);
    ASSERT_EQ(loaded.Count(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        loaded.RebuildPage(i);
        const auto& objects = loaded.PageRecord(i).Rebuilt->Objects;
        ASSERT_EQ(objects.size(), 1u);
        const auto& picture = dynamic_cast<const TrpPictureView&>(*objects[0]);
        EXPECT_EQ(picture.Picture.Kind(), TrpPictureKind::Metafile);
        EXPECT_EQ(picture.Picture.Data(), metafiles[i]);
        EXPECT_EQ(picture.Width, loaded.PageRecord(i).PageInfo.SheetWidth);
        EXPECT_EQ(picture.Height, loaded.PageRecord(i).PageInfo.SheetHeight);
    }

    TrpEMFPage& page = loaded.PageRecord(0);
    page.Visible = true;
    QImage image(page.PageInfo.SheetWidth, page.PageInfo.SheetHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    loaded.PaintPage(0, painter, image.rect());
    painter.end();
    QImage white(image.size(), QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(image, white);

    TrpStream first;
    loaded.WritePrepared(first);
    TrpEMFPages reread{&owner};
    TrpStream input(first.Bytes());
    ASSERT_EQ(reread.ReadPrepared(input).Status, TrpPreparedStatus::Loaded);
    reread.RebuildPage(1);
    EXPECT_EQ(dynamic_cast<const TrpPictureView&>(*reread.PageRecord(1).Rebuilt->Objects[0]).Picture.Data(),
              metafiles[1]);
    TrpStream second;
    reread.WritePrepared(second);
    EXPECT_EQ(second.Bytes(), first.Bytes());
}

TEST_F(PreparedFile, CompressedFilesAreRefused)
{
    for (const Bytes& start : {Bytes{25, 1}, Bytes{25, 255}, Bytes{1}, Bytes{255}}) {
        Bytes bytes = written.Bytes();
        std::copy(start.begin(), start.end(), bytes.begin());
        ASSERT_EQ(Read(written.Bytes()).Status, TrpPreparedStatus::Loaded);
        const TrpPreparedResult result = Read(bytes);
        EXPECT_EQ(result.Status, TrpPreparedStatus::Compressed);
        EXPECT_EQ(result.Message, TrpEMFPages::kCompressedMessage);
        EXPECT_EQ(loaded.Count(), 0u);
    }
}

TEST_F(PreparedFile, DamagedFilesKeepThePagesBeforeTheDamage)
{
    const Bytes& good = written.Bytes();
    const std::size_t second = PageStart(1);
    const std::size_t third = PageStart(2);
    const struct {
        const char* what;
        std::function<void(Bytes&)> damage;
        std::size_t kept;
        const char* says;
    } cases[] = {
        {"empty", [](Bytes& b) { b.clear(); }, 0, "no page could be read"},
        {"cut in the second page's fields", [&](Bytes& b) { b.resize(second + 10); }, 1, "1 of its 3 pages"},
        {"cut in the second page's objects", [&](Bytes& b) { b.resize(third - 3); }, 1, "1 of its 3 pages"},
        {"no marker byte", [](Bytes& b) { b.pop_back(); }, 3, "3 of its 3 pages"},
        {"end beyond the file", [&](Bytes& b) { PutInt32(b, second, 1 << 30); }, 1, "1 of its 3"},
        {"end before the content", [&](Bytes& b) { PutInt32(b, second, static_cast<std::int32_t>(second + 20)); },
         1, "1 of its 3"},
        {"end before the page", [&](Bytes& b) { PutInt32(b, second, -1); }, 1, "1 of its 3"},
        {"unknown object type", [&](Bytes& b) { b[second + 36 + 1] = 99; }, 1, "1 of its 3"},
        {"object beyond any page", [&](Bytes& b) { PutInt32(b, second + 36 + 1 + 1 + 3 + 2, 0x7FFFFFFF); }, 1,
         "1 of its 3"},
        {"paper beyond any paper", [&](Bytes& b) { PutInt32(b, second + 6, 2'000'000'000); }, 1, "1 of its 3"},
        {"margin beyond any paper", [&](Bytes& b) { PutInt32(b, second + 20, 1 << 30); }, 1, "1 of its 3"},
        {"empty content", [&](Bytes& b) { PutInt32(b, third, static_cast<std::int32_t>(third + 36)); }, 2,
         "2 of its 3"},
        {"negative page count", [](Bytes& b) { PutInt32(b, 19, -5); }, 0, "no page could be read"},
        {"huge page count", [](Bytes& b) { PutInt32(b, 19, 0x7FFFFFFF); }, 3, "3 of its 2147483647"},
    };
    for (const auto& c : cases) {
        Bytes bytes = good;
        c.damage(bytes);
        const TrpPreparedResult result = Read(bytes);
        EXPECT_EQ(result.Status, TrpPreparedStatus::Damaged) << c.what;
        EXPECT_NE(result.Message.find(c.says), std::string::npos) << c.what << ": " << result.Message;
        ASSERT_EQ(loaded.Count(), c.kept) << c.what;
        for (std::size_t i = 0; i < c.kept; ++i)
            EXPECT_EQ(loaded.PageRecord(i).Content.Bytes(), pages.PageRecord(i).Content.Bytes()) << c.what;
    }
}

} // namespace
} // namespace report
