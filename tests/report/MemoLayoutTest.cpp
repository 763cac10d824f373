// Layout of text objects: with a fixed-width measurer, so the rules show in
// whole characters, and with real fonts.
#include "report/RP_Class.h"
#include "report/RpQtMeasure.h"

#include <QFontInfo>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace report {
namespace {

const std::string M(1, kLineEndMarker);

// Ten pixels a character; expressions are looked up in a table.
class TestHost : public TrpViewHost {
public:
    TrpFixedWidthFactory fixed{10};
    bool useRealFonts = false;
    bool running = false;
    std::map<std::string, std::string> values;

    bool IsRunning() const override { return running; }
    const TrpMeasurerFactory& Measurers() const override
    {
        return useRealFonts ? TrpViewHost::Measurers() : fixed;
    }
    std::string ExpressionText(const std::string& expression, TrpView&) override
    {
        const auto it = values.find(expression);
        return it == values.end() ? "?" : it->second;
    }
};

struct MemoFixture : ::testing::Test {
    TestHost host;
    TrpPages pages;
    TrpMemoView* memo = nullptr;

    void SetUp() override
    {
        pages.Host = &host;
        memo = static_cast<TrpMemoView*>(pages.Add().AddObject(std::make_unique<TrpMemoView>()));
        memo->Left = 0;
        memo->Top = 0;
        memo->Width = 104;  // 100 available with GapX 2
        memo->Height = 200;
        memo->FrameTyp = 0;
    }

    TrpLines LayOut(const TrpLines& lines)
    {
        memo->ExpandedLines = lines;
        memo->Layout();
        return memo->ExpandedLines;
    }
};

TEST(MemoWrap, Cases)
{
    const TrpFixedWidthMeasurer measurer(10);
    struct Case {
        const char* what;
        std::string line;
        int width;
        TrpLines expected;
    };
    const Case cases[] = {
        {"fits", "abc def", 100, {"abc def" + M}},
        {"empty", "", 100, {M}},
        {"one character wider than the line", "W", 5, {"W" + M}},
        {"wrap at the last space", "aaa bbb ccc", 70, {"aaa bbb", "ccc" + M}},
        {"space at the break is dropped", "aaaa bbbb", 40, {"aaaa", "bbbb" + M}},
        {"word longer than the line is cut", "abcdefghij xy", 40, {"abcd", "efgh", "ij", "xy" + M}},
        {"line breaks end paragraphs", "ab\r\ncd", 100, {"ab" + M, "cd" + M}},
        {"trailing line breaks end the text", "ab\n\n", 100, {"ab" + M}},
        {"characters wider than the line stand alone", "abc", 5, {"a", "b", "c" + M}},
        {"UTF-8 characters are not split", "\xD0\x9F\xD0\x9F\xD0\x9F", 20, {"\xD0\x9F\xD0\x9F", "\xD0\x9F" + M}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WrapLine(c.line, c.width, false, measurer, kDefaultCharset), c.expected) << c.what;
}

TEST(MemoWrap, HyphenationPoints)
{
    // МОЛОКО: breaks after the vowels that a consonant and a vowel follow.
    EXPECT_EQ(HyphenationPoints(U"\u041C\u041E\u041B\u041E\u041A\u041E"), (std::vector<std::size_t>{2, 4}));
    EXPECT_TRUE(HyphenationPoints(U"\u041C\u041E\u041B").empty());
    // A sign always allows a break after it (no delimiter inside a word).
    EXPECT_EQ(HyphenationPoints(U"\u041F\u042C\u0415\u0421\u0410"), (std::vector<std::size_t>{2, 3}));
    // Latin words have no vowels in this table: no points.
    EXPECT_TRUE(HyphenationPoints(U"ABCDEFG").empty());
}

TEST(MemoWrap, WordBreakHyphenatesCyrillic)
{
    const TrpFixedWidthMeasurer measurer(10);
    // "на молоко": the line of 6 characters takes "на мо-".
    const std::string line = "\xD0\xBD\xD0\xB0 \xD0\xBC\xD0\xBE\xD0\xBB\xD0\xBE\xD0\xBA\xD0\xBE";
    const TrpLines lines = WrapLine(line, 60, true, measurer, kDefaultCharset);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "\xD0\xBD\xD0\xB0 \xD0\xBC\xD0\xBE-");
    EXPECT_EQ(lines[1], "\xD0\xBB\xD0\xBE\xD0\xBA\xD0\xBE" + M);
    // The same word in Windows-1251 bytes, read through the Cyrillic charset.
    const std::string cp1251 = "\xED\xE0 \xEC\xEE\xEB\xEE\xEA\xEE";
    const TrpLines single = WrapLine(cp1251, 60, true, TrpFixedWidthMeasurer(10, 0, kRussianCharset), kRussianCharset);
    EXPECT_EQ(single, (TrpLines{"\xED\xE0 \xEC\xEE-", "\xEB\xEE\xEA\xEE" + M}));
}

TEST_F(MemoFixture, ExpressionInAWideObjectIsOneLineWithMarker)
{
    host.running = true;
    memo->Width = 700;
    memo->Memo = {"[EventLogTitle]"};
    host.values["EventLogTitle"] = "System";
    EXPECT_EQ(memo->CalcHeight(), 2 * memo->GapY + memo->LineSpacing + FontPixelHeight(10));
    EXPECT_EQ(memo->ExpandedLines, TrpLines{"System" + M});
}

TEST_F(MemoFixture, ValueWithALineBreakExpandsToTwoLines)
{
    memo->Memo = {"[Two]", "", "plain"};
    host.values["Two"] = "a\r\nb";
    EXPECT_EQ(memo->ExpandMemo(), (TrpLines{"a", "b", "", "plain"}));
    memo->Flags |= MemoFlag::TextOnly;
    EXPECT_EQ(memo->ExpandMemo(), (TrpLines{"[Two]", "", "plain"}));
    memo->Flags &= ~MemoFlag::TextOnly;
    host.values["Two"] = "";
    EXPECT_EQ(memo->ExpandMemo(), (TrpLines{"", "plain"}));
}

TEST_F(MemoFixture, TextHeightCountsLinesAndGaps)
{
    EXPECT_EQ(LayOut({"aaa bbb ccc ddd"}), (TrpLines{"aaa bbb", "ccc ddd" + M}));
    const int step = memo->LineSpacing + FontPixelHeight(10);
    EXPECT_EQ(step, 2 + 13);
    EXPECT_EQ(memo->TextHeight, 2 * memo->GapY + 2 * step);

    EXPECT_TRUE(LayOut({}).empty());
    EXPECT_EQ(memo->TextHeight, 2 * memo->GapY);

    memo->LineSpacing = -20;  // lines overlap; the height still follows the rule
    LayOut({"a", "b", "c"});
    EXPECT_EQ(memo->TextHeight, 2 * memo->GapY + 3 * (-20 + 13));
    EXPECT_EQ(memo->MinSliceHeight(), 2 + (-7) + 2);
    EXPECT_EQ(memo->LeftoverHeight(), 2 * memo->GapY + 2);  // no division by a step below 1
}

TEST_F(MemoFixture, WithoutWordWrapEveryLineIsWhole)
{
    memo->Flags &= ~MemoFlag::WordWrap;
    EXPECT_EQ(LayOut({"a very long line that does not fit"}), TrpLines{"a very long line that does not fit" + M});
}

TEST_F(MemoFixture, LaidOutTextIsNotWrappedAgain)
{
    memo->LaidOut = true;
    EXPECT_EQ(LayOut({"aaaaaaaaaaaaaaaaaaaaaaa", "b" + M}), (TrpLines{"aaaaaaaaaaaaaaaaaaaaaaa", "b" + M}));
}

TEST_F(MemoFixture, WideBracketedFieldOutsideARunStaysUnbroken)
{
    EXPECT_EQ(LayOut({"[AVeryLongFieldNameIndeed]"}), TrpLines{"[AVeryLongFieldNameIndeed]"});
    host.running = true;
    EXPECT_EQ(LayOut({"[AVeryLongFieldNameIndeed]"}).size(), 3u);
}

TEST_F(MemoFixture, RotatedTextWrapsAcrossTheHeight)
{
    memo->Alignment = MemoAlign::Vertical;
    memo->Width = 500;
    memo->Height = 52;  // 50 available with GapY 1
    EXPECT_EQ(LayOut({"aaaa bbbb"}), (TrpLines{"aaaa", "bbbb" + M}));
    EXPECT_EQ(memo->TextHeight, 2 * memo->GapX + 2 * 15);
}

// The drawing plan of the current lines at scale 1.
std::vector<TrpDrawnLine> Plan(TrpMemoView& memo, const TrpLines& lines)
{
    memo.ExpandedLines = lines;
    memo.ApplyScale();
    const TrpFixedWidthMeasurer measurer(10);
    auto plan = memo.PlanLines(measurer, 13);
    memo.RestoreGeometry();
    return plan;
}

TEST_F(MemoFixture, HorizontalAlignment)
{
    // Object rectangle 105 wide (right edge + 1), text of 30 pixels.
    struct Case {
        std::uint32_t alignment;
        int x;
    };
    const Case cases[] = {{MemoAlign::Left, 2}, {MemoAlign::Right, 105 - 2 - 30 - 1}, {MemoAlign::Center, 2 + (105 - 4 - 30) / 2}};
    for (const auto& c : cases) {
        memo->Alignment = c.alignment;
        const auto plan = Plan(*memo, {"abc" + M});
        ASSERT_EQ(plan.size(), 1u);
        EXPECT_EQ(plan[0].X, c.x) << c.alignment;
        EXPECT_EQ(plan[0].Y, 1);
        EXPECT_EQ(plan[0].Text, "abc");
    }
}

TEST_F(MemoFixture, JustifySpreadsOnlyInsideParagraphs)
{
    memo->Alignment = MemoAlign::Justify;
    const auto plan = Plan(*memo, {"aa bb", "cc dd" + M, "nospaces", ""});
    ASSERT_EQ(plan.size(), 4u);
    EXPECT_EQ(plan[0].JustifyExtra, 105 - 4 - 50);
    EXPECT_EQ(plan[1].JustifyExtra, 0);  // the paragraph's last line
    EXPECT_EQ(plan[2].JustifyExtra, 0);  // no spaces
    EXPECT_EQ(plan[3].JustifyExtra, 0);
    EXPECT_EQ(plan[1].Y - plan[0].Y, 15);
}

TEST_F(MemoFixture, PlacementAndClipping)
{
    memo->Height = 100;
    memo->TextHeight = 2 + 2 * 15;
    memo->Alignment = MemoAlign::Middle;
    auto plan = Plan(*memo, {"a", "b" + M});
    EXPECT_EQ(plan[0].Y, 1 + (101 - 32) / 2);
    memo->Alignment = MemoAlign::Bottom;
    plan = Plan(*memo, {"a", "b" + M});
    EXPECT_EQ(plan[0].Y, 101 - 32 - 1 + 1);

    // With clipping only the lines that fit are drawn.
    memo->Alignment = MemoAlign::Top;
    memo->Clip = true;
    memo->Height = 40;
    plan = Plan(*memo, {"1", "2", "3", "4" + M});
    EXPECT_EQ(plan.size(), 2u);
    EXPECT_EQ(memo->LinesDrawn, 2);

    // Vertical lines are not stopped: the clip rectangle cuts them.
    memo->Alignment = MemoAlign::Vertical;
    memo->Width = 40;
    plan = Plan(*memo, {"1", "2", "3", "4" + M});
    EXPECT_EQ(plan.size(), 4u);
    EXPECT_EQ(memo->LinesDrawn, 4);
}

TEST_F(MemoFixture, VerticalTextRunsUpward)
{
    memo->Alignment = MemoAlign::Vertical;
    auto plan = Plan(*memo, {"abc", "de" + M});
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(plan[0].X, 2);
    EXPECT_EQ(plan[1].X, 2 + 15);
    EXPECT_EQ(plan[0].Y, 201 - 1);
    memo->Alignment = MemoAlign::Vertical | MemoAlign::Right;
    plan = Plan(*memo, {"abc" + M});
    EXPECT_EQ(plan[0].Y, 1 + 30);
}

TEST_F(MemoFixture, SplitPrintsWhatFitsAndKeepsTheRest)
{
    host.running = true;
    memo->Memo = {"l1", "l2", "l3", "l4", "l5"};
    memo->Height = 200;
    memo->CalcHeight();
    memo->StretchPhase = 2;
    memo->Height = 1 + 2 * 15 + 2;  // room for two lines
    TrpStream stream;
    memo->EmitToPreparedPage(stream);
    EXPECT_EQ(memo->ExpandedLines, (TrpLines{"l3" + M, "l4" + M, "l5" + M}));
    EXPECT_EQ(memo->StretchPhase, 0);

    stream.Seek(0);
    ASSERT_EQ(stream.ReadByte(), ObjectType::Text);
    TrpMemoView printed;
    printed.PreparedMode = true;
    printed.ReadFromStream(stream);
    EXPECT_EQ(printed.Memo, (TrpLines{"l1" + M, "l2" + M}));
}

TEST_F(MemoFixture, SuppressEmitsRepeatedValuesOnce)
{
    host.running = true;
    memo->Flags |= MemoFlag::Suppress;
    memo->Memo = {"[v]"};
    host.values["v"] = "same";
    TrpStream stream;
    memo->EmitToPreparedPage(stream);
    const std::size_t once = stream.Size();
    EXPECT_GT(once, 0u);
    memo->EmitToPreparedPage(stream);
    EXPECT_EQ(stream.Size(), once);
    host.values["v"] = "other";
    memo->EmitToPreparedPage(stream);
    EXPECT_GT(stream.Size(), once);
}

TEST_F(MemoFixture, EmptyTextPaints)
{
    memo->Memo.clear();
    memo->FillColor = 0x0000FF;
    QImage image(120, 220, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    memo->Paint(painter);
    painter.end();
    EXPECT_EQ(image.pixelColor(50, 50), QColor(255, 0, 0));
}

// ---- real fonts -------------------------------------------------------------

TEST(MemoRealFont, WrappedLinesFitAndKeepTheirWords)
{
    TrpFont font;
    font.Name = "DejaVu Sans";
    const TrpQtMeasurer measurer(font, FontPixelHeight(10), 0);
    const std::string text = "The quick brown fox jumps over the lazy dog and keeps running far away";
    const TrpLines lines = WrapLine(text, 120, false, measurer, kDefaultCharset);
    ASSERT_GT(lines.size(), 2u);
    std::string joined;
    for (const auto& line : lines) {
        std::string clean = line;
        if (!clean.empty() && clean.back() == kLineEndMarker)
            clean.pop_back();
        EXPECT_LE(measurer.TextWidth(clean), 120) << clean;
        joined += (joined.empty() ? "" : " ") + clean;
    }
    EXPECT_EQ(joined, text);
    EXPECT_EQ(lines.back().back(), kLineEndMarker);
}

TEST(MemoRealFont, CharacterSpacingAddsPerCharacter)
{
    TrpFont font;
    font.Name = "DejaVu Sans Mono";
    const TrpQtMeasurer plain(font, 13, 0);
    const TrpQtMeasurer spaced(font, 13, 3);
    EXPECT_EQ(spaced.TextWidth("abcd"), plain.TextWidth("abcd") + 12);
    // A monospaced face: twice the text, about twice the width.
    EXPECT_NEAR(plain.TextWidth("abcdabcd"), 2 * plain.TextWidth("abcd"), 1);
}

TEST(MemoRealFont, ArialHasMetricCompatibleWidths)
{
    // The templates name Arial; Liberation Sans has its widths.
    const QFontInfo info(MakeQFont(TrpFont{}, 13));
    EXPECT_TRUE(info.family() == "Liberation Sans" || info.family() == "Arial") << info.family().toStdString();
    const TrpQtMeasurer measurer(TrpFont{}, 100, 0);
    // Arial's advance of "0" is 556/1000 of the em.
    EXPECT_NEAR(measurer.TextWidth("0000000000"), 556, 10);
}

TEST(MemoRealFont, PaintedTextLandsInsideTheObject)
{
    TrpPages pages;
    TestHost host;
    host.useRealFonts = true;
    pages.Host = &host;
    auto* memo = static_cast<TrpMemoView*>(pages.Add().AddObject(std::make_unique<TrpMemoView>()));
    memo->Left = 10;
    memo->Top = 10;
    memo->Width = 80;
    memo->Height = 60;
    memo->Memo = {"Wrapped words in a box"};
    QImage image(120, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    memo->Paint(painter);
    painter.end();
    int inside = 0;
    int outside = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                (x >= 10 && x <= 90 && y >= 10 && y <= 70 ? inside : outside) += 1;
    EXPECT_GT(inside, 50);
    EXPECT_EQ(outside, 0);
    EXPECT_GE(memo->LinesDrawn, 2);
}

TEST(MemoRealFont, RotatedTextPaintsUpward)
{
    TrpPages pages;
    TestHost host;
    host.useRealFonts = true;
    host.running = true;  // no corner marks
    pages.Host = &host;
    auto* memo = static_cast<TrpMemoView*>(pages.Add().AddObject(std::make_unique<TrpMemoView>()));
    memo->Left = 10;
    memo->Top = 10;
    memo->Width = 30;
    memo->Height = 150;
    memo->Alignment = MemoAlign::Vertical;
    memo->Memo = {"Rotated"};
    QImage image(60, 180, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    memo->Paint(painter);
    painter.end();
    // The ink lies in the lower part of a tall, narrow object.
    int top = image.height();
    int bottom = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_GT(bottom - top, 30);
    EXPECT_GT(top, 80);
    EXPECT_LE(bottom, 160);
}

} // namespace
} // namespace report

namespace report {
namespace {

// The right-most inked column in the rows of the first line.
int RightmostInkOfFirstLine(std::uint32_t alignment)
{
    TrpPages pages;
    TestHost host;
    host.useRealFonts = true;
    host.running = true;
    pages.Host = &host;
    auto* memo = static_cast<TrpMemoView*>(pages.Add().AddObject(std::make_unique<TrpMemoView>()));
    memo->Left = 0;
    memo->Top = 0;
    memo->Width = 150;
    memo->Height = 60;
    memo->Alignment = alignment;
    memo->Memo = {"ii ll ii ll ii ll ii ll ii ll ii ll ii ll ii ll ii ll ii ll ii ll ii ll ii ll ii ll"};
    QImage image(160, 70, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    memo->Paint(painter);
    painter.end();
    int rightmost = -1;
    for (int y = 1; y < 1 + 13; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160)
                rightmost = std::max(rightmost, x);
    return rightmost;
}

TEST(MemoRealFont, JustifiedLinesReachTheRightEdge)
{
    const int left = RightmostInkOfFirstLine(MemoAlign::Left);
    const int justified = RightmostInkOfFirstLine(MemoAlign::Justify);
    EXPECT_GT(justified, left);
    EXPECT_GE(justified, 150 - 2 - 6);
    EXPECT_LE(justified, 150);
}

} // namespace
} // namespace report
