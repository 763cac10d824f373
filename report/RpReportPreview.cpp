// Showing a report's prepared pages: in a preview window of its own or in
// an embedded preview panel.

#include "RpReport.h"

#include "RP_View.h"
#include "RpFormTexts.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace report {

namespace {

constexpr int kPreviewText = 55207;

} // namespace

TrpReport::PagesFromPreview::PagesFromPreview(TrpReport& report) : report_(report)
{
    TrpPreview* preview = report.Preview;
    if (preview == nullptr || (report.EMFPages != nullptr && report.EMFPages->Count() > 0) ||
        preview->Window().Report != &report)
        return;
    preview_ = preview;
    preview->DetachReport();
}

TrpReport::PagesFromPreview::~PagesFromPreview()
{
    if (preview_ != nullptr)
        preview_->AttachReport(report_);
}

bool TrpReport::PreviewReport()
{
    const bool prepared = Prepare();
    OpenPreview();
    return prepared;
}

void TrpReport::OpenPreview()
{
    MakeCurrent();
    if (EMFPages == nullptr || EMFPages->Count() == 0)
        return;
    if (Preview != nullptr) {
        Preview->AttachReport(*this);
        return;
    }
    const QString preview = FormText(kPreviewText, QStringLiteral("Preview"));
    const QString caption = Title.empty() ? preview : QString::fromStdString(Title) + " - " + preview;
    // The window belongs to the window that owns the report.
    auto* ownerObject = parent();
    QWidget* ownerWindow = ownerObject != nullptr && ownerObject->isWidgetType()
                               ? static_cast<QWidget*>(ownerObject)->window()
                               : nullptr;
    auto* form = new TrpPreviewForm(ownerWindow);
    form->setWindowTitle(caption);
    if (MDIPreview && ownerWindow != nullptr) {
        if (auto* area = ownerWindow->findChild<QMdiArea*>()) {
            form->MdiChild = true;
            form->setWindowState(Qt::WindowNoState);
            QMdiSubWindow* child = area->addSubWindow(form);
            child->setAttribute(Qt::WA_DeleteOnClose);
        }
    }
    form->ShowForReport(*this);
    QCoreApplication::processEvents();
}

} // namespace report
