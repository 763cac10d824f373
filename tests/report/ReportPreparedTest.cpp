// The report's prepared pages: its events, its printer model and its
// information as the pages see them, and prepared-report files.
#include "ReportFixture.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace report {
namespace {

using ReportPrepared = ReportFixture;

TEST_F(ReportPrepared, PagesFireTheReportsEventsAndFollowItsPrinter)
{
    std::vector<int> begun;
    report->OnBeginPage = [&](int pageNo) { begun.push_back(pageNo); };
    RunState().PageNo = 4;
    TrpEMFPage& page = report->EMFPages->AddPage(report->Pages.Page(0));
    EXPECT_EQ(begun, std::vector<int>{4});

    memo->Name = "URLHome";
    memo->Memo = {"Home"};
    memo->Tag = "@2";
    memo->Height = 20;
    page.Content.Seek(page.Content.Size());
    memo->EmitToPreparedPage(page.Content);
    std::vector<std::string> clicked;
    report->OnObjectClick = [&](TrpView& view) { clicked.push_back(view.Name); };
    report->OnMouseOverObject = [](TrpView&, Qt::CursorShape& cursor) { cursor = Qt::CrossCursor; };
    std::string link;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    EXPECT_TRUE(report->EMFPages->HitTest(0, QPoint(5, 5), link, cursor, true));
    EXPECT_EQ(clicked, std::vector<std::string>{"URLHome"});
    EXPECT_EQ(link, "@2");
    report->EMFPages->PageRecord(0).Rebuilt->Objects[0]->Name = "Plain";
    EXPECT_TRUE(report->EMFPages->HitTest(0, QPoint(5, 5), link, cursor, false));
    EXPECT_EQ(cursor, Qt::CrossCursor);

    // A file names the printer the model has selected, and carries the
    // report's marker byte.
    report->Info.Marker = 66;
    QTemporaryDir dir;
    const QString path = dir.filePath("orders.rpp");
    report->SavePreparedFile(path);
    TrpReport other(form.get());
    other.Running = true;
    ASSERT_EQ(other.LoadPreparedFile(path).Status, TrpPreparedStatus::Loaded);
    EXPECT_FALSE(other.Running);
    EXPECT_EQ(other.Info.Marker, 66);
    ASSERT_EQ(other.EMFPages->Count(), 1u);
    EXPECT_EQ(other.EMFPages->PageRecord(0).Content.Bytes(), page.Content.Bytes());

    // A preview takes the pages and leaves the report a new set of its own.
    std::unique_ptr<TrpEMFPages> shown = std::move(report->EMFPages);
    report->EMFPages = report->NewPreparedPages();
    report->EMFPages->AddPage(report->Pages.Page(0));
    EXPECT_EQ(begun.size(), 2u);
    EXPECT_EQ(shown->Count(), 1u);
}

} // namespace
} // namespace report
