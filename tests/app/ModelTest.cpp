#include "app/EventColumns.h"
#include "app/EventListModel.h"
#include "app/LogImages.h"
#include "app/NameList.h"
#include "app/common.h"
#include "app/logview.h"

#include <QDate>
#include <QIcon>
#include <QTime>

#include "LocalTimeTexts.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

TEST(EventTypeToStr, MasksTheCodeAndLeavesOthersAlone)
{
    struct Case {
        int code;
        const char* text;
    } cases[] = {{0, "keep"},          {1, "Error"},         {2, "Warning"},       {3, "Information"},
                 {4, "Audit Success"}, {5, "Audit Failure"}, {6, "keep"},          {0x7F, "keep"},
                 {0x81, "Error"},      {0x85, "Audit Failure"}, {0x100 | 2, "Warning"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        QString text = QStringLiteral("keep");
        EventTypeToStr(c.code, text);
        EXPECT_EQ(text, c.text);
    }
}

TEST(EventTypeImageIndex, TypeIconsSitAtTwoToSix)
{
    const int expected[] = {-1, 4, 5, 6, 2, 3, -1};
    for (int code = 0; code <= 6; ++code)
        EXPECT_EQ(EventTypeImageIndex(code), expected[code]) << code;
    TLogImageList images;
    for (int index = 0; index < TLogImageList::kCount; ++index)
        EXPECT_EQ(images.Icon(index).isNull(), index < 2) << index;
    EXPECT_TRUE(images.Icon(-1).isNull());
    EXPECT_TRUE(images.Icon(7).isNull());
}

TEST(Common, TrimTextDropsControlsAndBlanks)
{
    EXPECT_EQ(TrimText(""), "");
    EXPECT_EQ(TrimText(" \t\r\n"), "");
    EXPECT_EQ(TrimText("  Logon/Logoff \r\n"), "Logon/Logoff");
    EXPECT_EQ(TrimText("a b"), "a b");
    EXPECT_EQ(TrimText("\x01x\x1f"), "x");
}

TEST(Common, DecodeDateTimeToTheMillisecond)
{
    QDate date;
    QTime time;
    DecodeDateTime(25569.5, date, time);
    EXPECT_EQ(date, QDate(1970, 1, 1));
    EXPECT_EQ(time, QTime(12, 0));
    DecodeDateTime(25569.0 + 1.0 / 86'400'000 * 1234, date, time);
    EXPECT_EQ(time, QTime(0, 0, 1, 234));
    DecodeDateTime(25569.0 + 0.9999999999, date, time); // rounds up to the next midnight
    EXPECT_EQ(date, QDate(1970, 1, 2));
    EXPECT_EQ(time, QTime(0, 0));
    DecodeDateTime(0, date, time);
    EXPECT_EQ(date, QDate(1899, 12, 30));
}

TEST(EventColumns, TimeFormatLosesItsZoneOnly)
{
    EXPECT_EQ(TimeFormatWithoutZone("h:mm:ss AP t"), "h:mm:ss AP");
    EXPECT_EQ(TimeFormatWithoutZone("HH:mm:ss tttt"), "HH:mm:ss");
    EXPECT_EQ(TimeFormatWithoutZone("HH 'at' mm t"), "HH 'at' mm");
    EXPECT_EQ(TimeFormatWithoutZone("HH:mm:ss"), "HH:mm:ss");
}

TEST(EventColumns, FormatsOfTheLocale)
{
    const TEventColumnFormatter german(QLocale(QLocale::German, QLocale::Germany));
    TEventItem e(nullptr);
    e.TimeGenerated = UnixTimeToDateTime(1'000'000'000);
    // "09.09.01" and "01:46:40" in UTC.
    const QDateTime local = LocalTimeOf(1'000'000'000);
    EXPECT_EQ(german.Text(e, lcDate), local.toString(QStringLiteral("dd.MM.yy")));
    EXPECT_EQ(german.Text(e, lcTime), local.toString(QStringLiteral("HH:mm:ss")));
}

TEST(DescriptionLines, EmptyLinesGo)
{
    struct Case {
        const char* text;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"\r\n", {}},
        {"one", {"one"}},
        {"one\r\n\r\ntwo\r\n", {"one", "two"}},
        {"a\rb\nc\r\n\nd", {"a", "b", "c", "d"}},
        {" \r\n", {" "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DescriptionLines(c.text), c.lines);
    }
}

TEST(NameList, SortedWithoutDuplicatesInAnyCase)
{
    TNameList names;
    for (const char* n : {"Disk", "", "disk", "Atapi", "DISK", "atapi", "Zeta", "", "Disk"})
        names.Add(n);
    std::vector<std::string> all(names.begin(), names.end());
    EXPECT_EQ(all, (std::vector<std::string>{"", "Atapi", "Disk", "Zeta"}));
    EXPECT_TRUE(names.Contains("ZETA"));
    EXPECT_FALSE(names.Contains("Zet"));
    names.Clear();
    EXPECT_EQ(names.Count(), 0u);
    names.Add("Disk");
    EXPECT_EQ(names.Count(), 1u);
}

class EventListModelTest : public ::testing::Test {
protected:
    std::vector<std::unique_ptr<TEventItem>> owned;
    std::vector<TEventItem*> events;
    TLogImageList images;
    TEventListModel model{events, images};

    void add(int n)
    {
        for (int i = 0; i < n; ++i) {
            auto item = std::make_unique<TEventItem>(nullptr);
            item->RecordNumber = static_cast<DWORD>(owned.size() + 1);
            item->Source = "S" + std::to_string(item->RecordNumber);
            item->EventType = etWarning;
            events.push_back(item.get());
            owned.push_back(std::move(item));
        }
    }
};

TEST_F(EventListModelTest, RowCountIsSetApartFromTheList)
{
    add(3);
    EXPECT_EQ(model.rowCount(), 0);
    model.SetCount(3);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), kLogColumnCount);
    add(2); // the list grows, the view does not see it yet
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.EventAt(0)->RecordNumber, 3u);
    model.SetCount(5);
    EXPECT_EQ(model.EventAt(0)->RecordNumber, 5u);
    EXPECT_EQ(model.EventAt(4)->RecordNumber, 1u);
    EXPECT_EQ(model.EventAt(5), nullptr);
    EXPECT_EQ(model.EventAt(-1), nullptr);
    EXPECT_EQ(model.RowOfIndex(0), 4);
    EXPECT_EQ(model.IndexOfRow(4), 0);
    EXPECT_EQ(model.RowOfIndex(5), -1);
}

TEST_F(EventListModelTest, RowsPastTheListShowNothing)
{
    add(2);
    model.SetCount(4);
    EXPECT_FALSE(model.data(model.index(0, lcSource)).isValid()); // would be list index 3
    EXPECT_EQ(model.data(model.index(3, lcSource)).toString(), "S1");
    EXPECT_EQ(model.data(model.index(3, lcType)).toString(), "Warning");
    EXPECT_TRUE(model.data(model.index(3, lcType), Qt::DecorationRole).isValid());
    EXPECT_FALSE(model.data(model.index(3, lcSource), Qt::DecorationRole).isValid());
    EXPECT_EQ(model.data(model.index(3, lcUser)).toString(), "N/A");
    model.SetCount(-1);
    EXPECT_EQ(model.rowCount(), 0);
}
