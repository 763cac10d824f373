// The template stream: round trips, older versions, skipped records and
// damaged input.
#include "report/RP_Class.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace report {
namespace {

constexpr double kFixedNow = 45000.25;

// A template whose clock stands still, so two writes give the same bytes.
struct FixedTemplate : TrpReportTemplate {
    std::vector<std::string> errors;
    FixedTemplate()
    {
        Now = [] { return kFixedNow; };
        ResetInfo();
        OnError = [this](const std::string& message) { errors.push_back(message); };
    }
};

std::string Write(TrpReportTemplate& report)
{
    TrpStream stream;
    report.WriteTemplate(stream);
    return stream.ToString();
}

template <typename View>
View& Add(TrpPage& page)
{
    auto* view = static_cast<View*>(page.AddObject(std::make_unique<View>()));
    view->SetDefaultName();
    return *view;
}

QImage TestImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 128));
    return image;
}

// Every object kind, every page field and every part of the stream.
void FillEverything(TrpReportTemplate& report)
{
    report.PrinterName = "Virtual printer";
    report.DoublePassReport = -1;
    TrpPage& page = report.Pages.Add();
    page.Name = "Page1";
    page.MarginLeft = 18;
    page.Script = {"begin", "end"};
    TrpPage& dialog = report.Pages.Add();
    dialog.Name = "Dialog";
    dialog.PageType = 1;
    dialog.Caption = "Choose";
    dialog.BorderStyle = 2;
    dialog.Position = 0;

    auto& band = Add<TrpBandView>(page);
    band.SetBandType(static_cast<int>(TrpBandType::MasterData));
    band.FormatString = "dsCommon";
    band.Memo = {"band script"};
    band.ChildBand = "Child1";
    band.Master = "Master1";
    band.Columns = 3;
    band.Height = 20;

    auto& memo = Add<TrpMemoView>(page);
    memo.Memo = {"[EventLogTitle]", "", "Text \xD0\x9F"};
    memo.Script = {"if x then y"};
    memo.Font.Name = "Tahoma";
    memo.Font.Style.bold = true;
    memo.Alignment = MemoAlign::Justify | MemoAlign::Middle;
    memo.HighlightCondition = "x 1 =";
    memo.LineSpacing = -1;
    memo.CharSpacing = 2;
    memo.FrameWidth = 0.5;
    memo.FrameTyp = 15;
    memo.Tag = "[Tag]";
    memo.BandAlign = TrpBandAlign::Right;
    memo.Visible = false;
    memo.Restrictions = 5;

    auto& wide = Add<TrpMemoView>(page);
    wide.FrameWidth = 12;

    auto& picture = Add<TrpPictureView>(page);
    picture.Picture.SetImage(TestImage(8, 4));
    picture.BlobType = 1;
    auto& jpeg = Add<TrpPictureView>(page);
    jpeg.Picture.SetImage(TestImage(16, 16), TrpPictureKind::Jpeg);
    Add<TrpPictureView>(page);  // no picture
    Add<TrpLineView>(page).Width = 50;
    Add<TrpSubReportView>(dialog).SubPage = 1;

    report.Dictionary.Variables.SetVariable("Total", Variant("Orders.\"Amount\""));
    report.Dictionary.FieldAliases.SetVariable("Orders", Variant("Bestellungen"));
    report.Dictionary.BandDatasources.SetVariable("dsCommon", Variant(""));
    report.Info.Comment = "comment";
    report.Info.Author = "me";
    report.Info.VersionBuild = "7";
    report.Info.Password = "pw";
}

TEST(TemplateStream, EveryObjectKindRoundTripsByteForByte)
{
    FixedTemplate first;
    FillEverything(first);
    const std::string written = Write(first);

    FixedTemplate second;
    TrpStream stream(written);
    ASSERT_EQ(second.ReadTemplate(stream), TrpTemplateStatus::Loaded);
    EXPECT_TRUE(stream.AtEnd());
    EXPECT_EQ(Write(second), written);

    // What was read is what was written.
    ASSERT_EQ(second.Pages.Count(), 2u);
    const TrpPage& page = second.Pages.Page(0);
    ASSERT_EQ(page.Objects.size(), 7u);
    EXPECT_EQ(second.PrinterName, "Virtual printer");
    EXPECT_EQ(second.DoublePassReport, -1);
    EXPECT_EQ(page.Script, (TrpLines{"begin", "end"}));
    EXPECT_EQ(second.Pages.Page(1).BorderStyle, 2);
    EXPECT_EQ(second.Pages.Page(1).Position, 0);

    const auto& band = dynamic_cast<const TrpBandView&>(*page.Objects[0]);
    EXPECT_EQ(band.Name, "Band1");
    EXPECT_EQ(band.BandType(), 5);
    EXPECT_EQ(band.DataSource(), "dsCommon");
    EXPECT_EQ(band.Master, "Master1");
    EXPECT_EQ(band.Columns, 3);

    const auto& memo = dynamic_cast<const TrpMemoView&>(*page.Objects[1]);
    EXPECT_EQ(memo.Name, "Memo1");
    EXPECT_EQ(memo.Memo, (TrpLines{"[EventLogTitle]", "", "Text \xD0\x9F"}));
    EXPECT_EQ(memo.Font.Name, "Tahoma");
    EXPECT_TRUE(memo.Font.Style.bold);
    EXPECT_EQ(memo.LineSpacing, -1);
    EXPECT_EQ(memo.FrameWidth, 0.5);
    EXPECT_EQ(memo.BandAlign, TrpBandAlign::Right);
    EXPECT_FALSE(memo.Visible);
    EXPECT_EQ(memo.Tag, "[Tag]");
    EXPECT_EQ(memo.DisplayFormat, 0x22E);

    // A whole width above 10 survives in this writer's form.
    EXPECT_EQ(page.Objects[2]->FrameWidth, 12.0);

    const auto& picture = dynamic_cast<const TrpPictureView&>(*page.Objects[3]);
    EXPECT_EQ(picture.Picture.Kind(), TrpPictureKind::Bitmap);
    EXPECT_EQ(picture.Picture.Size(), QSize(8, 4));
    EXPECT_EQ(picture.BlobType, 1);
    EXPECT_EQ(dynamic_cast<const TrpPictureView&>(*page.Objects[4]).Picture.Kind(), TrpPictureKind::Jpeg);
    EXPECT_TRUE(dynamic_cast<const TrpPictureView&>(*page.Objects[5]).Picture.IsEmpty());
    EXPECT_EQ(dynamic_cast<const TrpSubReportView&>(*second.Pages.Page(1).Objects[0]).SubPage, 1);

    EXPECT_EQ(second.Dictionary.Variables.GetVariable("Total"), Variant("Orders.\"Amount\""));
    EXPECT_EQ(second.Dictionary.FieldAliases.GetVariable("Orders"), Variant("Bestellungen"));
    EXPECT_EQ(second.Info.Password, "pw");
    EXPECT_EQ(second.Info.Author, "me");
    EXPECT_EQ(second.Info.Marker, 88);
    EXPECT_EQ(second.Info.LastChange, kFixedNow);
}

TEST(TemplateStream, PicturesThatDoNotDecodeRoundTripByteForByte)
{
    // A bitmap whose header claims more pixels than are decoded, bytes that
    // are no JPEG, and a kind byte this system does not know.
    TrpPicture bitmap;
    bitmap.SetImage(TestImage(2, 2));
    std::string oversized = bitmap.Data();
    oversized[18] = oversized[19] = oversized[22] = oversized[23] = '\xFF';
    oversized[20] = oversized[21] = 0;
    struct Stored {
        TrpPictureKind kind;
        std::string bytes;
    };
    const Stored stored[] = {{TrpPictureKind::Bitmap, oversized},
                             {TrpPictureKind::Jpeg, std::string("\xFF\xD8\xFF\xEE cmyk that is cut", 22)},
                             {static_cast<TrpPictureKind>(9), "future kind"}};

    FixedTemplate first;
    TrpPage& page = first.Pages.Add();
    for (const Stored& picture : stored) {
        EXPECT_FALSE(Add<TrpPictureView>(page).Picture.Load(picture.kind, picture.bytes));
    }
    const std::string written = Write(first);

    FixedTemplate second;
    TrpStream stream(written);
    ASSERT_EQ(second.ReadTemplate(stream), TrpTemplateStatus::Loaded);
    EXPECT_EQ(Write(second), written);
    const TrpPage& back = second.Pages.Page(0);
    ASSERT_EQ(back.Objects.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& picture = dynamic_cast<const TrpPictureView&>(*back.Objects[i]).Picture;
        EXPECT_EQ(picture.Kind(), stored[i].kind) << i;
        EXPECT_EQ(picture.Data(), stored[i].bytes) << i;
        EXPECT_FALSE(picture.HasImage()) << i;
    }
}

TEST(TemplateStream, EveryNextRecordPositionIsWhereTheObjectDataEnds)
{
    FixedTemplate report;
    FillEverything(report);
    TrpStream stream(Write(report));
    stream.ReadByte();
    stream.ReadInt16();
    stream.ReadInt16();
    ReadCountedString(stream);
    TrpPages pages;
    std::uint8_t type = stream.ReadByte();
    while (type == RecordType::Page) {
        pages.Add().ReadRecord(stream);
        type = stream.ReadByte();
    }
    int objects = 0;
    while (type <= ObjectType::AddIn) {
        stream.ReadByte();  // page index
        const auto next = static_cast<std::size_t>(stream.ReadInt32());
        auto view = CreateViewByType(type, {});
        view->ReadFromStream(stream);
        EXPECT_EQ(stream.Position(), next) << view->Name;
        ++objects;
        type = stream.ReadByte();
    }
    EXPECT_EQ(type, RecordType::Dictionary);
    EXPECT_EQ(objects, 8);
}

TEST(TemplateStream, PictureWithoutImageEndsRightAfterItsEndPosition)
{
    TrpPictureView picture;
    TrpStream stream;
    picture.WriteToStream(stream);
    const std::size_t size = stream.Size();
    stream.Seek(size - 4);
    EXPECT_EQ(static_cast<std::size_t>(stream.ReadInt32()), size);
    stream.Seek(size - 6);
    EXPECT_EQ(stream.ReadByte(), 0);  // kind: none
}

TEST(TemplateStream, FrameWidths)
{
    struct Case {
        double width;
        double readBack;
    };
    // Whole widths of any size and thousandths above 0.01 come back
    // unchanged; a fractional width below that becomes 0.011.
    const Case cases[] = {{1, 1},        {0.5, 0.5}, {10, 10},         {12, 12},
                          {1.25, 1.25},  {0.012, 0.012}, {0, 0},       {0.005, 0.011},
                          {-3, -3},      {-0.5, 0},  {3000000, 2147483.647}, {-1e12, -2147483648.0}};
    for (const auto& c : cases) {
        TrpLineView line;
        line.FrameWidth = c.width;
        TrpStream stream;
        line.WriteToStream(stream);
        stream.Seek(0);
        TrpLineView back;
        back.ReadFromStream(stream);
        EXPECT_DOUBLE_EQ(back.FrameWidth, c.readBack) << c.width;
    }
    // A stored 12 is read as thousandths: the form other writers left.
    TrpLineView line;
    TrpStream stream;
    line.WriteToStream(stream);
    auto bytes = stream.Bytes();
    const std::size_t frameWidthAt = 3 + 2 + 16 + 4;  // name, format, geometry, flags and frame type
    bytes[frameWidthAt] = 12;
    TrpStream patched(bytes);
    line.ReadFromStream(patched);
    EXPECT_DOUBLE_EQ(line.FrameWidth, 0.012);
}

TEST(TemplateStream, MoreThan256PagesAreRefusedOnWriting)
{
    FixedTemplate report;
    for (int i = 0; i < 257; ++i)
        report.Pages.Add();
    TrpStream stream;
    EXPECT_THROW(report.WriteTemplate(stream), EWriteError);
    EXPECT_EQ(stream.Size(), 0u);
    report.Pages.Clear();
    for (int i = 0; i < 256; ++i)
        report.Pages.Add();
    EXPECT_NO_THROW(report.WriteTemplate(stream));
}

TEST(TemplateStream, VersionAbove25LeavesTheTemplateAsItWas)
{
    FixedTemplate report;
    report.Pages.Add().Name = "Kept";
    TrpStream stream(std::string("\x1A\x00\x00", 3));
    EXPECT_EQ(report.ReadTemplate(stream), TrpTemplateStatus::UnsupportedVersion);
    EXPECT_EQ(report.errors, std::vector<std::string>{"Unsupported RPF format"});
    ASSERT_EQ(report.Pages.Count(), 1u);
    EXPECT_EQ(report.Pages.Page(0).Name, "Kept");

    TrpStream empty;
    EXPECT_EQ(report.ReadTemplate(empty), TrpTemplateStatus::EmptyStream);
    EXPECT_EQ(report.Pages.Count(), 1u);
}

TEST(TemplateStream, ReportFormProperty)
{
    FixedTemplate report;
    FillEverything(report);
    TrpStream property;
    report.WriteReportForm(property, true);
    const std::string body = Write(report);
    ASSERT_EQ(property.Size(), body.size() + 8);
    EXPECT_EQ(property.ToString().substr(8), body);
    property.Seek(0);
    EXPECT_EQ(property.ReadInt32(), 25);
    EXPECT_EQ(static_cast<std::size_t>(property.ReadInt32()), body.size());

    FixedTemplate back;
    property.Seek(0);
    EXPECT_EQ(back.ReadReportForm(property, true), TrpTemplateStatus::Loaded);
    EXPECT_EQ(back.Pages.Count(), 2u);

    TrpStream bare;
    report.WriteReportForm(bare, false);
    EXPECT_EQ(bare.Size(), 4u);

    // A length beyond the property is damage, not a huge allocation.
    TrpStream lying(std::string("\x19\0\0\0\xFF\xFF\xFF\x7F\x19", 9));
    EXPECT_EQ(back.ReadReportForm(lying, true), TrpTemplateStatus::Damaged);
    EXPECT_EQ(back.Pages.Count(), 1u);
}

TEST(TemplateStream, ProtectedTemplatesAskForThePasswordOnlyFromFiles)
{
    FixedTemplate report;
    FillEverything(report);
    report.Info.Protected = 1;
    const std::string bytes = Write(report);

    FixedTemplate memory;
    TrpStream inMemory(bytes);
    memory.OnPassword = [](std::string&) -> bool { throw std::logic_error("asked"); };
    EXPECT_EQ(memory.ReadTemplate(inMemory), TrpTemplateStatus::Loaded);

    FixedTemplate right;
    TrpStream file(bytes);
    file.InMemory = false;
    right.OnPassword = [](std::string& entered) {
        entered = "pw";
        return true;
    };
    EXPECT_EQ(right.ReadTemplate(file), TrpTemplateStatus::Loaded);
    EXPECT_EQ(right.Pages.Count(), 2u);

    FixedTemplate wrong;
    TrpStream file2(bytes);
    file2.InMemory = false;
    wrong.FileName = "report.rpf";
    wrong.OnPassword = [](std::string& entered) {
        entered = "PW";
        return true;
    };
    EXPECT_EQ(wrong.ReadTemplate(file2), TrpTemplateStatus::PasswordRefused);
    EXPECT_EQ(wrong.Pages.Count(), 1u);
    EXPECT_TRUE(wrong.Pages.Page(0).Objects.empty());
    EXPECT_EQ(wrong.Info.Password, "");
    EXPECT_EQ(wrong.FileName, "Untitled");
}

// ---- older versions, written the way they were ----------------------------

class OldWriter {
public:
    explicit OldWriter(int version) : version_(version) { stream.Version = version; }

    void Byte(int v) { stream.WriteByte(static_cast<std::uint8_t>(v)); }
    void I16(int v) { stream.WriteInt16(static_cast<std::int16_t>(v)); }
    void I32(std::int32_t v) { stream.WriteInt32(v); }
    void Str(const std::string& s)
    {
        if (version_ >= 23) {
            WriteCountedString(stream, s);
        } else {
            stream.WriteBytes(s);
            Byte(0);
        }
    }
    void Lines(const TrpLines& lines)
    {
        if (version_ >= 23) {
            WriteLineList(stream, lines);
        } else {
            for (std::size_t i = 0; i < lines.size(); ++i) {
                stream.WriteBytes(lines[i]);
                if (i + 1 < lines.size() || lines[i].empty())
                    Byte(13);
            }
            Byte(0);
        }
    }

    void Header()
    {
        if (version_ > 21 || writeVersion21)
            Byte(version_);
        I16(0);
        I16(0);
        Str("HP LaserJet");
    }

    void Page(std::int32_t paper)
    {
        Byte(255);
        if (version_ >= 24) {
            I32(-1);
            I32(paper);
        } else {
            I32(paper);  // the old layout: the marker is the paper code
        }
        I32(2100);
        I32(2970);
        for (int i = 0; i < 4; ++i)
            I32(10 * i);
        Byte(1);  // landscape
        if (version_ <= 22)
            stream.WriteBytes(std::string(6, '\x55'));
        if (version_ >= 24)
            I32(7);
        I16(0);
        I16(-1);
        I32(2);
        I32(5);
        if (version_ >= 24) {
            Byte(1);
            Str("Dialog1");
            Byte(0);
            Str("Caption");
            I32(0xFF);
            I32(1);
            I32(2);
            I32(3);
            I32(4);
            Byte(1);
            Lines({"script"});
        }
    }

    // A text object; returns where its next-record position is, for v24.
    void Memo(const std::string& name, const TrpLines& memo)
    {
        Byte(0);
        Byte(0);  // page index
        std::size_t placeholder = 0;
        if (version_ >= 24) {
            placeholder = stream.Position();
            I32(0);
        }
        if (version_ >= 23)
            Str(name);
        if (version_ >= 24) {
            Byte(2);
            Byte(0);
        }
        I32(10);
        I32(20);
        I32(300);
        I32(40);
        stream.WriteUInt16(1);   // flags: stretched only
        stream.WriteUInt16(15);  // frame
        I32(2);                  // frame width
        I32(0x123456);
        stream.WriteUInt16(1);
        stream.WriteUInt32(kNoFill);
        I32(0x22E);
        Str("");
        Lines(memo);
        if (version_ >= 23) {
            Lines({});
            I16(-1);
        }
        if (version_ >= 24) {
            stream.WriteUInt16(0);
            Str("tag");
            I32(4);
            I32(3);
            Byte(3);  // band alignment: center
        }
        Str("Courier");
        I32(12);
        stream.WriteUInt16(1);  // italic
        I32(0xFF);
        I32(2);                  // centred
        stream.WriteUInt16(204);  // Cyrillic
        stream.WriteUInt16(2);
        I32(0);
        I32(0xFFFFFF);
        Str("");
        if (version_ >= 24) {
            I32(5);
            I32(1);
        }
        if (version_ >= 24) {
            const std::size_t end = stream.Position();
            stream.Seek(placeholder);
            I32(static_cast<std::int32_t>(end));
            stream.Seek(end);
        }
    }

    TrpStream stream;
    bool writeVersion21 = true;

private:
    int version_;
};

TEST(TemplateStream, OlderVersionsRead)
{
    for (int version = 21; version <= 24; ++version) {
        SCOPED_TRACE(version);
        OldWriter writer(version);
        writer.Header();
        writer.Page(9);
        writer.Memo("Title", {"Hello", "", "[x]"});
        writer.Byte(252);
        FixedTemplate report;
        writer.stream.Seek(0);
        ASSERT_EQ(report.ReadTemplate(writer.stream), TrpTemplateStatus::Loaded);
        EXPECT_TRUE(writer.stream.AtEnd());
        EXPECT_EQ(report.PrinterName, "HP LaserJet");
        ASSERT_EQ(report.Pages.Count(), 1u);
        const TrpPage& page = report.Pages.Page(0);
        EXPECT_EQ(page.PaperSize, 9);
        EXPECT_EQ(page.Orientation, 1);
        EXPECT_EQ(page.MarginRight, 20);
        EXPECT_EQ(page.UseMargins, 0xFFFF);
        EXPECT_EQ(page.Columns, 2);
        if (version >= 24) {
            EXPECT_EQ(page.Bin, 7);
            EXPECT_EQ(page.Name, "Dialog1");
            EXPECT_EQ(page.PageType, 1);
            EXPECT_EQ(page.BorderStyle, 3);
            EXPECT_EQ(page.Position, 4);
            EXPECT_EQ(page.Script, TrpLines{"script"});
        } else {
            EXPECT_EQ(page.Bin, TrpPage::kDefaultBin);
            EXPECT_EQ(page.Name, "Page1");
            EXPECT_EQ(page.Caption, "Form");
            EXPECT_EQ(page.FormLeft, 220);
        }
        ASSERT_EQ(page.Objects.size(), 1u);
        const auto& memo = dynamic_cast<const TrpMemoView&>(*page.Objects[0]);
        EXPECT_EQ(memo.Name, version >= 23 ? "Title" : "Memo1");
        EXPECT_EQ(memo.Memo, (TrpLines{"Hello", "", "[x]"}));
        EXPECT_EQ(memo.Width, 300);
        EXPECT_EQ(memo.FrameWidth, 2);
        EXPECT_EQ(memo.Font.Name, "Courier");
        EXPECT_TRUE(memo.Font.Style.italic);
        EXPECT_EQ(memo.Alignment, 2u);
        EXPECT_EQ(memo.Font.Charset, version >= 23 ? 204 : 1);
        EXPECT_EQ(memo.Flags, version == 21 ? 3 : 1);  // version 21 wraps words
        EXPECT_EQ(memo.LineSpacing, version >= 24 ? 5 : 2);
        EXPECT_EQ(memo.BandAlign, version >= 24 ? TrpBandAlign::Center : TrpBandAlign::None);
        EXPECT_EQ(memo.GapX, version >= 24 ? 4 : 2);

        // Written again, it is a version-25 template with the same content.
        const std::string rewritten = Write(report);
        EXPECT_EQ(rewritten[0], 25);
        FixedTemplate again;
        TrpStream stream(rewritten);
        ASSERT_EQ(again.ReadTemplate(stream), TrpTemplateStatus::Loaded);
        EXPECT_EQ(Write(again), rewritten);
    }
}

TEST(TemplateStream, FirstByteBelow21MeansNoVersionByte)
{
    OldWriter writer(21);
    writer.writeVersion21 = false;
    writer.Header();  // starts with the int16 0: first byte 0
    writer.Page(9);
    writer.Memo("", {"A"});
    FixedTemplate report;
    writer.stream.Seek(0);
    ASSERT_EQ(report.ReadTemplate(writer.stream), TrpTemplateStatus::Loaded);
    ASSERT_EQ(report.Pages.Count(), 1u);
    EXPECT_EQ(report.Pages.Page(0).Objects.size(), 1u);
    EXPECT_EQ(report.Pages.Page(0).Objects[0]->Memo, TrpLines{"A"});
}

TEST(TemplateStream, UnnamedObjectsOfOldVersionsGetTheFirstFreeNames)
{
    OldWriter writer(22);
    writer.Header();
    writer.Page(9);
    writer.Page(9);
    for (int i = 0; i < 2000; ++i)
        writer.Memo("", {"x"});
    writer.Byte(252);
    FixedTemplate report;
    writer.stream.Seek(0);
    ASSERT_EQ(report.ReadTemplate(writer.stream), TrpTemplateStatus::Loaded);
    EXPECT_EQ(report.Pages.Page(1).Name, "Page2");
    const auto& objects = report.Pages.Page(0).Objects;
    ASSERT_EQ(objects.size(), 2000u);
    EXPECT_EQ(objects.front()->Name, "Memo1");
    EXPECT_EQ(objects.back()->Name, "Memo2000");
    // After the load, naming scans the objects again.
    auto& extra = static_cast<TrpMemoView&>(*report.Pages.Page(1).AddObject(std::make_unique<TrpMemoView>()));
    objects[4]->Name = "Renamed";
    extra.SetDefaultName();
    EXPECT_EQ(extra.Name, "Memo5");
}

// An add-in record of a class nobody registered, then a text object.
std::string WithUnknownAddIn(TrpStream* addInBody = nullptr, const char* className = "TMyWidget")
{
    TrpStream stream;
    stream.WriteByte(25);
    stream.WriteInt16(0);
    stream.WriteInt16(0);
    WriteCountedString(stream, "");
    stream.WriteByte(255);
    TrpPage page(nullptr, 9, 2100, 2970, -1, 0);
    page.Name = "Page1";
    page.WriteRecord(stream);
    stream.WriteByte(10);
    WriteCountedString(stream, className);
    stream.WriteByte(0);
    const std::size_t placeholder = stream.Position();
    stream.WriteInt32(0);
    if (addInBody != nullptr) {
        stream.Write(addInBody->Bytes().data(), addInBody->Size());
        stream.WriteBytes("extra data of the add-in");
    } else {
        stream.WriteBytes(std::string("\xFE\xFE\xFE whatever the add-in stores", 30));
    }
    const std::size_t end = stream.Position();
    stream.Seek(placeholder);
    stream.WriteInt32(static_cast<std::int32_t>(end));
    stream.Seek(end);
    TrpMemoView memo;
    memo.Name = "After";
    stream.WriteByte(0);
    stream.WriteByte(0);
    const std::size_t memoPlaceholder = stream.Position();
    stream.WriteInt32(0);
    memo.WriteToStream(stream);
    const std::size_t memoEnd = stream.Position();
    stream.Seek(memoPlaceholder);
    stream.WriteInt32(static_cast<std::int32_t>(memoEnd));
    stream.Seek(memoEnd);
    stream.WriteByte(252);
    return stream.ToString();
}

TEST(TemplateStream, UnknownAddInIsSkippedByItsNextRecordPosition)
{
    FixedTemplate report;
    TrpStream stream(WithUnknownAddIn());
    EXPECT_EQ(report.ReadTemplate(stream), TrpTemplateStatus::MissingClasses);
    EXPECT_EQ(report.errors, std::vector<std::string>{
                                 "Report contains the following non-plugged components:\rTMyWidget\r"
                                 "You must include these components into your project."});
    ASSERT_EQ(report.Pages.Count(), 1u);
    ASSERT_EQ(report.Pages.Page(0).Objects.size(), 1u);
    EXPECT_EQ(report.Pages.Page(0).Objects[0]->Name, "After");
}

class Widget : public TrpControl {
public:
    std::string ClassName() const override { return "TMyWidget"; }
};

TEST(TemplateStream, RegisteredAddInLoadsAndTheRestOfItsRecordIsSkipped)
{
    Widget prototype;
    prototype.Name = "Widget1";
    prototype.Left = 7;
    TrpStream body;
    prototype.WriteToStream(body);

    TrpAddInRegistry addIns;
    addIns.Register("TMyWidget", [] { return std::make_unique<Widget>(); });
    // The stream may name the class in any case.
    for (const char* stored : {"TMyWidget", "TMYWIDGET", "tmywidget"}) {
        SCOPED_TRACE(stored);
        FixedTemplate report;
        report.AddIns = &addIns;
        TrpStream stream(WithUnknownAddIn(&body, stored));
        ASSERT_EQ(report.ReadTemplate(stream), TrpTemplateStatus::Loaded);
        EXPECT_TRUE(report.errors.empty());
        const auto& objects = report.Pages.Page(0).Objects;
        ASSERT_EQ(objects.size(), 2u);
        EXPECT_EQ(objects[0]->Name, "Widget1");
        EXPECT_EQ(objects[0]->TypeCode, ObjectType::AddIn);
        EXPECT_EQ(objects[0]->Left, 7);
        EXPECT_EQ(objects[1]->Name, "After");
        // Written back as an add-in record with its class name.
        const std::string bytes = Write(report);
        FixedTemplate again;
        again.AddIns = &addIns;
        TrpStream reread(bytes);
        ASSERT_EQ(again.ReadTemplate(reread), TrpTemplateStatus::Loaded);
        EXPECT_EQ(Write(again), bytes);
    }
}

TEST(TemplateStream, CreateViewByType)
{
    EXPECT_EQ(CreateViewByType(0, {})->TypeCode, 0);
    EXPECT_EQ(CreateViewByType(4, {})->BaseName, "Line");
    EXPECT_EQ(CreateViewByType(7, {}), nullptr);
    try {
        CreateViewByType(10, "TMissing");
        FAIL();
    } catch (const EClassNotFound& error) {
        EXPECT_STREQ(error.what(), "TMissing\r");
    }
}

TEST(TemplateStream, BrokenRecordsGiveAnEmptyTemplate)
{
    FixedTemplate good;
    FillEverything(good);
    const std::string bytes = Write(good);

    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string backwards = bytes;
    // The band's next-record position, pointing back at the record start.
    const std::size_t nextAt = bytes.find(std::string("Band1", 5)) - 2 - 4;
    backwards[nextAt] = static_cast<char>(nextAt - 2);
    backwards[nextAt + 1] = static_cast<char>((nextAt - 2) >> 8);
    backwards[nextAt + 2] = 0;
    backwards[nextAt + 3] = 0;
    std::string beyond = bytes;
    beyond[nextAt + 3] = 0x7F;
    std::string badType = bytes;
    badType[nextAt - 2] = 100;

    const Case cases[] = {{"next position behind the reader", backwards},
                          {"next position beyond the end", beyond},
                          {"record type 100", badType}};
    for (const auto& c : cases) {
        FixedTemplate report;
        report.Pages.Add().Name = "Old";
        TrpStream stream(c.bytes);
        EXPECT_EQ(report.ReadTemplate(stream), TrpTemplateStatus::Damaged) << c.what;
        EXPECT_EQ(report.errors, std::vector<std::string>{"Unsupported RPF format"}) << c.what;
        ASSERT_EQ(report.Pages.Count(), 1u) << c.what;
        EXPECT_TRUE(report.Pages.Page(0).Objects.empty()) << c.what;
        EXPECT_EQ(report.Pages.Page(0).Name, "") << c.what;
    }
}

TEST(TemplateStream, ObjectOnAMissingPageIsSkipped)
{
    FixedTemplate good;
    FillEverything(good);
    std::string bytes = Write(good);
    const std::size_t nextAt = bytes.find(std::string("Band1", 5)) - 2 - 4;
    bytes[nextAt - 1] = 9;  // page index of the band
    FixedTemplate report;
    TrpStream stream(bytes);
    ASSERT_EQ(report.ReadTemplate(stream), TrpTemplateStatus::Loaded);
    EXPECT_EQ(report.Pages.Page(0).Objects.size(), 6u);
    EXPECT_EQ(report.Pages.Page(0).Objects[0]->Name, "Memo1");
}

TEST(TemplateStream, EveryTruncationAndManyDamagedBytesReadSafely)
{
    FixedTemplate good;
    FillEverything(good);
    const std::string bytes = Write(good);
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        FixedTemplate report;
        TrpStream stream(bytes.substr(0, length));
        const TrpTemplateStatus status = report.ReadTemplate(stream);
        if (status == TrpTemplateStatus::Damaged)
            EXPECT_EQ(report.Pages.Count(), 1u) << length;
        else
            EXPECT_TRUE(status == TrpTemplateStatus::Loaded || status == TrpTemplateStatus::EmptyStream) << length;
    }
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::string damaged = bytes;
        for (int i = 0; i < 4; ++i)
            damaged[random() % damaged.size()] = static_cast<char>(random());
        FixedTemplate report;
        TrpStream stream(damaged);
        report.ReadTemplate(stream);
        TrpStream out;
        if (report.Pages.Count() <= kMaxTemplatePages)
            EXPECT_NO_THROW(report.WriteTemplate(out));
    }
}

TEST(TemplateStream, OldDictionaryLayout)
{
    // Field entries (kind, index, three short texts), then the variable
    // names: headings plain, variables with a leading blank.
    TrpStream stream;
    stream.WriteInt32(3);  // three field entries, not a -1/-2 marker
    const auto entry = [&](std::uint8_t kind, std::int32_t index, std::initializer_list<const char*> texts) {
        stream.WriteByte(kind);
        stream.WriteInt32(index);
        for (const char* text : texts) {
            stream.WriteByte(static_cast<std::uint8_t>(std::strlen(text)));
            stream.WriteBytes(text);
        }
    };
    entry(1, 0, {"Orders", "Amount", "Amount"});
    entry(2, 2, {"", "", "Page"});
    entry(2, 1, {"", "1 + 2", "Sum"});
    WriteLineList(stream, {"Orders", " Amount", " Page", " Sum", " Other"});
    stream.Seek(0);
    TrpDataDictionary dictionary;
    dictionary.ReadDictionary(stream);
    EXPECT_TRUE(stream.AtEnd());
    ASSERT_EQ(dictionary.Variables.GetCount(), 5);
    EXPECT_EQ(dictionary.Variables.GetName(0), " Orders");  // headings carry the blank
    EXPECT_EQ(dictionary.Variables.GetVariable(" Orders"), Variant(""));
    EXPECT_EQ(dictionary.Variables.GetVariable("Amount"), Variant("Orders.\"Amount\""));
    EXPECT_EQ(dictionary.Variables.GetVariable("Page"), Variant("PAGE#"));
    EXPECT_EQ(dictionary.Variables.GetVariable("Sum"), Variant("1 + 2"));
    EXPECT_EQ(dictionary.Variables.GetVariable("Other"), Variant(""));
    EXPECT_EQ(dictionary.FieldAliases.GetCount(), 0);

    TrpStream huge;
    huge.WriteInt16(-2);
    huge.WriteInt32(0x7FFFFFFF);
    huge.Seek(0);
    EXPECT_THROW(dictionary.ReadDictionary(huge), EReadError);

    // More entries than a dictionary holds, each one well formed.
    TrpStream many;
    many.WriteInt16(-2);
    many.WriteInt32(TrpDataDictionary::kMaxEntries + 1);
    for (std::size_t i = 0; i <= TrpDataDictionary::kMaxEntries; ++i) {
        WriteCountedString(many, "v" + std::to_string(i));
        WriteCountedString(many, "");
    }
    many.Seek(0);
    EXPECT_THROW(dictionary.ReadDictionary(many), EReadError);
}

} // namespace
} // namespace report
