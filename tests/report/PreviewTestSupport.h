#pragma once
// What the preview's tests share: a report whose prepared pages the test
// builds itself (a text object a row), a preview window of a given canvas
// size with its dialogs answered by the test, and the user's registry in
// memory.
#include "MemoryRegistry.h"

#include "report/RP_Class.h"
#include "report/RP_View.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QPointer>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace report {

inline std::unique_ptr<TrpMemoView> MakeText(const std::string& name, const std::string& text, int left, int top)
{
    auto memo = std::make_unique<TrpMemoView>();
    memo->Name = name;
    memo->Memo = {text};
    memo->Left = left;
    memo->Top = top;
    memo->Width = 200;
    memo->Height = 20;
    return memo;
}

class PreviewFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        TrpPreviewForm::LastZoom = 1.0;
        TrpPreviewForm::LastZoomMode = zmFixed;
        owner = std::make_unique<QWidget>();
        report = new TrpReport(owner.get());
        report->ModalPreview = false;
        report->Pages.Add();
    }

    void TearDown() override
    {
        for (const QPointer<TrpPreviewForm>& p : previews)
            delete p.data();
        owner.reset();
    }

    // A page of the given size (report pixels at 100 %) with one text a
    // row, 40 pixels apart.
    TrpEMFPage& AddPage(int width, int height, std::initializer_list<const char*> texts)
    {
        TrpEMFPage& page = report->EMFPages->AddPage(report->Pages.Page(0));
        page.PageInfo.SheetWidth = width;
        page.PageInfo.SheetHeight = height;
        page.PageInfo.PrintableWidth = width;
        page.PageInfo.PrintableHeight = height;
        page.UseMargins = 1;
        int top = 20;
        for (const char* text : texts) {
            const auto memo = MakeText("Memo", text, 40, top);
            page.Content.Seek(page.Content.Size());
            memo->EmitToPreparedPage(page.Content);
            top += 40;
        }
        return page;
    }

    // A preview of the report, shown with a canvas of that size.
    TrpPreviewForm& Open(QSize canvas)
    {
        auto* p = new TrpPreviewForm();
        previews.emplace_back(p);
        p->ShowError = [this](const QString& message) { errors.push_back(message); };
        p->ShowForReport(*report);
        p->setWindowState(Qt::WindowNoState);
        p->resize(canvas + QSize(16, 33 + 18));
        for (int i = 0; i < 50 && p->PBox->size() != canvas; ++i)
            QTest::qWait(5);
        QCoreApplication::processEvents();
        return *p;
    }

    static QRect LayoutRect(const TrpPreviewForm& p, std::size_t index)
    {
        const TrpLayoutRect& r = p.Pages->PageRecord(index).LayoutRect;
        return {QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1)};
    }

    static QAction* ZoomItem(const TrpPreviewForm& p, int tag)
    {
        for (QAction* item : p.ZoomGroup->actions())
            if (item->data().toInt() == tag)
                return item;
        return nullptr;
    }

    static void Choose(TrpPreviewForm& p, int tag) { ZoomItem(p, tag)->trigger(); }

    static std::string PlacementValue(const char* name) { return MemoryRegistry::Get("TrpPreviewForm", name); }

    // A title band on the template page with one text.
    void AddTitle(const std::string& name, const std::string& text)
    {
        TrpPage& page = report->Pages.Page(0);
        auto band = std::make_unique<TrpBandView>();
        band->SetBandType(static_cast<int>(TrpBandType::ReportTitle));
        band->Name = "Title";
        band->Top = 10;
        band->Width = 700;
        band->Height = 30;
        band->Flags = BandFlag::OnFirstPage | BandFlag::OnLastPage;
        page.AddObject(std::move(band));
        page.AddObject(MakeText(name, text, 10, 12));
    }

    MemoryRegistry registry;
    std::unique_ptr<QWidget> owner;
    TrpReport* report = nullptr;
    std::vector<QPointer<TrpPreviewForm>> previews;
    std::vector<QString> errors;
};

} // namespace report
