// Showing a report's prepared pages: in the report's preview panel, or in a
// preview window of their own.

#include "RpReport.h"

#include "RP_View.h"
#include "RpLocale.h"
#include "RpRunState.h"

#include <QCoreApplication>

#include <memory>

namespace report {

namespace {

constexpr int kPreviewText = 55207;

} // namespace

void TrpReport::PreviewReport()
{
    Prepare();
    OpenPreview();
}

void TrpReport::OpenPreview()
{
    TrpRunState& state = RunState();
    state.Report = this;
    state.PagesReport = this;
    MakeCurrent();
    if (EMFPages->Count() == 0)
        return;
    if (Preview != nullptr) {
        Preview->AttachReport(*this);
        return;
    }
    const std::string preview = LoadEngineString(kPreviewText);
    const QString caption = QString::fromStdString(Title.empty() ? preview : Title + " - " + preview);
    if (ModalPreview) {
        const auto window = std::make_unique<TrpPreviewForm>();
        window->setWindowTitle(caption);
        window->ShowForReport(*this);
    } else {
        // Open until the user closes it, or until the report goes.
        delete previewWindow_.data();
        auto* window = new TrpPreviewForm();
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(caption);
        previewWindow_ = window;
        window->ShowForReport(*this);
    }
    QCoreApplication::processEvents();
}

} // namespace report
