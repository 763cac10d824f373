// The main window's stored report template: the copy the program carries is
// what qv-reporttemplate writes, and it reads to exactly its end with the
// facts the event list's printing relies on.

#include "EventListReport.h"
#include "FileSizeLimit.h"
#include "MainReportTemplate.h"

#include "report/RP_Class.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

using namespace report;

std::string StoredTemplate()
{
    std::ifstream file(QV_MAIN_REPORT_TEMPLATE, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// On a disk that is full (a file-size limit: writes past it fail) the tool
// says why, names the file and leaves the earlier one whole.
TEST(MainReportTemplate, TheToolLeavesTheEarlierFileOnAFullDisk)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("main-report.rpf"));
    std::ofstream(target.toStdString(), std::ios::binary) << "earlier";
    QProcess tool;
    tool.setChildProcessModifier([] { LimitFileSize(100); });
    tool.start(QStringLiteral(QV_REPORT_TEMPLATE_TOOL), {target});
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 1);
    const std::string said = tool.readAllStandardError().toStdString();
    EXPECT_NE(said.find(target.toStdString() + ": " + std::strerror(EFBIG)), std::string::npos) << said;
    std::ifstream in(target.toStdString(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "earlier");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"main-report.rpf"});
}

TEST(MainReportTemplate, TheStoredCopyIsWhatTheToolWrites)
{
    const std::string stored = StoredTemplate();
    ASSERT_FALSE(stored.empty()) << QV_MAIN_REPORT_TEMPLATE;
    EXPECT_TRUE(stored == MainReportTemplateStream())
        << "resources/report/main-report.rpf is out of date: cmake --build build --target "
           "update_main_report_template";
}

// Walks the stream record by record as the reader does, checking every
// object's data ends where its next-record position says.
TEST(MainReportTemplate, EveryRecordEndsWhereItsNextPositionSays)
{
    TrpStream stream(StoredTemplate());
    ASSERT_EQ(stream.ReadByte(), 25);
    EXPECT_EQ(stream.ReadInt16(), 0);   // the template's printer is selected when it exists
    EXPECT_NE(stream.ReadInt16(), 0);   // two passes: "Page k of n"
    EXPECT_EQ(ReadStreamString(stream), "");

    TrpPages pages;
    int objects = 0;
    bool ended = false;
    while (!ended && !stream.AtEnd()) {
        const std::uint8_t type = stream.ReadByte();
        switch (type) {
        case RecordType::Page:
            pages.Add().ReadRecord(stream);
            break;
        case ObjectType::Text:
        case ObjectType::Band: {
            ASSERT_EQ(stream.ReadByte(), 0);  // the page
            const auto next = static_cast<std::size_t>(stream.ReadInt32());
            std::unique_ptr<TrpView> view = CreateViewByType(type, {});
            view->ReadFromStream(stream);
            EXPECT_EQ(stream.Position(), next) << view->Name;
            ++objects;
            break;
        }
        case RecordType::Dictionary: {
            EXPECT_EQ(stream.ReadInt16(), -2);
            for (int list = 0; list < 3; ++list)
                EXPECT_EQ(stream.ReadInt32(), 0);
            break;
        }
        case RecordType::End:
            ended = true;
            break;
        default:
            FAIL() << "record type " << int(type) << " at " << stream.Position() - 1;
        }
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(pages.Count(), 1u);
    EXPECT_EQ(objects, 4 + 19);

    // The report information: seven empty texts, no password, marker 88,
    // not protected, two dates.
    for (int text = 0; text < 8; ++text)
        EXPECT_EQ(stream.ReadUInt16(), 0) << text;
    EXPECT_EQ(stream.ReadByte(), 88);
    EXPECT_EQ(stream.ReadByte(), 0);
    EXPECT_EQ(stream.ReadDouble(), kMainReportTemplateDate);
    EXPECT_EQ(stream.ReadDouble(), kMainReportTemplateDate);
    EXPECT_TRUE(stream.AtEnd());
}

TEST(MainReportTemplate, ReadsToItsEndWithTheEventListsPageBandsAndTexts)
{
    TrpReportTemplate stored;
    TrpStream stream(StoredTemplate());
    ASSERT_EQ(stored.ReadTemplate(stream), TrpTemplateStatus::Loaded);
    EXPECT_TRUE(stream.AtEnd());
    EXPECT_EQ(stream.Position(), stream.Size());

    ASSERT_EQ(stored.Pages.Count(), 1u);
    const TrpPage& page = stored.Pages.Page(0);
    EXPECT_EQ(page.PageType, 0);
    EXPECT_EQ(page.Name, "Page1");
    EXPECT_EQ(page.PaperSize, 9);
    EXPECT_EQ(page.PaperWidth, 2100);
    EXPECT_EQ(page.PaperHeight, 2970);
    EXPECT_EQ(page.Orientation, 0);
    EXPECT_EQ(page.Bin, 65535);
    EXPECT_EQ((std::array{page.MarginLeft, page.MarginTop, page.MarginRight, page.MarginBottom}),
              (std::array<std::int32_t, 4>{0, 0, 0, 0}));
    EXPECT_NE(page.UseMargins, 0);
    EXPECT_EQ(page.Caption, "Form");
    EXPECT_EQ(static_cast<std::uint32_t>(page.Color), 0x8000000Fu);
    EXPECT_EQ((std::array{page.FormLeft, page.FormTop, page.FormWidth, page.FormHeight}),
              (std::array<std::int32_t, 4>{220, 120, 380, 300}));
    EXPECT_EQ(page.Position, 4);
    EXPECT_TRUE(page.Script.empty());

    struct Band {
        const char* name;
        int type;
        const char* source;
    };
    const std::array<Band, 4> bands = {{{"ReportTitle1", 0, ""},
                                        {"PageHeader1", 2, ""},
                                        {"MasterData1", 5, "dsCommon"},
                                        {"PageFooter1", 3, ""}}};
    ASSERT_EQ(page.Objects.size(), 4u + 19u);
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const auto* band = dynamic_cast<const TrpBandView*>(page.Objects[i].get());
        ASSERT_NE(band, nullptr) << i;
        EXPECT_EQ(band->Name, bands[i].name);
        EXPECT_EQ(band->BandType(), bands[i].type) << band->Name;
        EXPECT_EQ(band->DataSource(), bands[i].source) << band->Name;
        EXPECT_EQ(band->Flags, 0x30) << band->Name;
        EXPECT_EQ((std::array{band->Columns, band->ColumnWidth, band->ColumnGap, band->NewColumnAfter}),
                  (std::array<std::int32_t, 4>{1, 200, 20, 1}))
            << band->Name;
    }

    // Each text: its text, its size and weight, and the band it lies in.
    struct Text {
        const char* text;
        int size;
        bool bold;
        const char* band;
    };
    const std::array<Text, 19> texts = {{
        {"[EventLogTitle]", 12, true, "ReportTitle1"},
        {"Type", 8, true, "PageHeader1"},
        {"Date", 8, true, "PageHeader1"},
        {"Time", 8, true, "PageHeader1"},
        {"Event", 8, true, "PageHeader1"},
        {"Source", 8, true, "PageHeader1"},
        {"Category", 8, true, "PageHeader1"},
        {"Domain\\User", 8, true, "PageHeader1"},
        {"Computer", 8, true, "PageHeader1"},
        {"[Type]", 8, false, "MasterData1"},
        {"[Date]", 8, false, "MasterData1"},
        {"[Time]", 8, false, "MasterData1"},
        {"[Event]", 8, false, "MasterData1"},
        {"[Source]", 8, false, "MasterData1"},
        {"[Category]", 8, false, "MasterData1"},
        {"[User]", 8, false, "MasterData1"},
        {"[Computer]", 8, false, "MasterData1"},
        {"Page [PAGE#] of [TOTALPAGES]", 7, false, "PageFooter1"},
        {"Created with Quellvane [DATE] [TIME] ", 7, false, "PageFooter1"},
    }};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto* memo = dynamic_cast<const TrpMemoView*>(page.Objects[4 + i].get());
        ASSERT_NE(memo, nullptr) << i;
        const std::string name = "Memo" + std::to_string(i + 1);
        EXPECT_EQ(memo->Name, name);
        EXPECT_EQ(memo->Memo, TrpLines{texts[i].text}) << name;
        EXPECT_EQ(memo->Font.Name, "Tahoma") << name;
        EXPECT_EQ(memo->Font.Size, texts[i].size) << name;
        EXPECT_EQ(memo->Font.Style.bold, texts[i].bold) << name;
        EXPECT_EQ(memo->DisplayFormat, 0x22E) << name;
        EXPECT_EQ(memo->Highlight.FontStyle, 2) << name;  // bold
        EXPECT_EQ(memo->Highlight.FillColor, 0xFFFFFF) << name;
        EXPECT_EQ(memo->LineSpacing, 2) << name;
        EXPECT_TRUE(memo->Visible) << name;
        const auto* band = dynamic_cast<const TrpBandView*>(page.FindView(texts[i].band));
        ASSERT_NE(band, nullptr);
        EXPECT_GE(memo->Top, band->Top) << name;
        EXPECT_LT(memo->Top, band->Top + band->Height) << name;
        EXPECT_LE(memo->Top + memo->Height, band->Top + band->Height) << name;
        EXPECT_LE(memo->Left + memo->Width, band->Left + band->Width) << name;
    }
    // The columns' headers stand above their values.
    for (int c = 0; c < 8; ++c) {
        const TrpView& header = *page.Objects[static_cast<std::size_t>(4 + 1 + c)];
        const TrpView& value = *page.Objects[static_cast<std::size_t>(4 + 9 + c)];
        EXPECT_EQ(header.Left, value.Left) << header.Name;
        EXPECT_EQ(header.Width, value.Width) << header.Name;
    }

    EXPECT_TRUE(stored.Dictionary.Variables.GetCount() == 0 && stored.Dictionary.FieldAliases.GetCount() == 0 &&
                stored.Dictionary.BandDatasources.GetCount() == 0);
    EXPECT_EQ(stored.Info.Name, "");
    EXPECT_EQ(stored.Info.Password, "");
    EXPECT_EQ(stored.Info.Marker, 88);
}

// The eight columns stand side by side across the printable width; a
// header or a value keeps to one line, whatever its width: the row band
// does not grow, so a second line would print over the next row.  What
// does not fit is cut at the column's edge when it is drawn.
TEST(MainReportTemplate, TheColumnsFillTheWidthAndKeepTheirTextsOnOneLine)
{
    if (!RegisterTahoma())
        GTEST_SKIP() << "Tahoma (fonts-wine) is not installed";
    TrpReportTemplate stored;
    TrpStream stream(StoredTemplate());
    ASSERT_EQ(stored.ReadTemplate(stream), TrpTemplateStatus::Loaded);
    const auto* rows = dynamic_cast<const TrpBandView*>(stored.Pages.FindObject("MasterData1"));
    ASSERT_NE(rows, nullptr);
    std::int32_t headerRight = rows->Left;
    std::int32_t valueRight = rows->Left;
    for (int c = 0; c < 8; ++c) {
        for (const int n : {2 + c, 10 + c}) {
            auto* memo = dynamic_cast<TrpMemoView*>(stored.Pages.FindObject("Memo" + std::to_string(n)));
            ASSERT_NE(memo, nullptr) << n;
            std::int32_t& right = n < 10 ? headerRight : valueRight;
            EXPECT_EQ(memo->Left, right) << memo->Name;
            right = memo->Left + memo->Width;
            EXPECT_EQ(memo->Flags & MemoFlag::WordWrap, 0) << memo->Name;
            memo->ExpandedLines = {"Process Tracking NT AUTHORITY\\NETWORK SERVICE 10 May 2024 12:58:58 PM"};
            memo->Layout();
            EXPECT_EQ(memo->ExpandedLines.size(), 1u) << memo->Name;
        }
        // The header's text fits above its values.
        auto* header = dynamic_cast<TrpMemoView*>(stored.Pages.FindObject("Memo" + std::to_string(2 + c)));
        header->ExpandedLines = header->Memo;
        EXPECT_LE(header->WidestLineWidth(), header->Width - 2 * header->GapX) << header->Memo.front();
    }
    EXPECT_EQ(headerRight, rows->Left + rows->Width);
    EXPECT_EQ(valueRight, rows->Left + rows->Width);
}

} // namespace
