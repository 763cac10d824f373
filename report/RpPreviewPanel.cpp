// The preview shown inside another window: the page area (and the toolbar,
// when asked) of a hidden preview window.

#include "RP_View.h"

#include "RpReport.h"

#include <QMenu>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace report {

TrpPreview::TrpPreview(QWidget* parent) : QFrame(parent), window_(std::make_unique<TrpPreviewForm>())
{
    window_->setAttribute(Qt::WA_DeleteOnClose, false);
    window_->setWindowState(Qt::WindowNoState);
    window_->OnPageChanged = [this](TrpPreviewForm&) { FirePageChanged(); };
    window_->WheelFactor = 3;
    window_->SetTexts();
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(frameWidth(), frameWidth(), frameWidth(), frameWidth());
    layout->setSpacing(0);
    SetScrollBars(3);
}

TrpPreview::~TrpPreview() = default;

void TrpPreview::AttachReport(TrpReport& report)
{
    TrpPreviewForm& w = *window_;
    if (showToolbar_)
        AdoptToolbar();
    if (w.PreviewPanel->parentWidget() != this) {
        w.PreviewPanel->setParent(this);
        static_cast<QVBoxLayout*>(layout())->addWidget(w.PreviewPanel, 1);
    }
    w.PreviewPanel->show();
    w.SetReport(report);
    w.TakePages();
    w.ApplyButtonSettings();
    w.ApplyZoom(true);
    if (QMenu* menu = PopupMenu)
        w.PopupMenu = menu;
}

void TrpPreview::DetachReport()
{
    window_->ReturnPages();
}

void TrpPreview::Print()
{
    window_->PrintBtnClick();
}

int TrpPreview::CurrentPage() const
{
    return window_->CurrentPage;
}

void TrpPreview::SetScrollBars(int value)
{
    scrollBars_ = value;
    window_->RPanel->setVisible(value == 2 || value == 3);
    window_->BPanel->setVisible(value == 1 || value == 3);
    window_->FormResize();
}

void TrpPreview::SetShowToolbar(bool value)
{
    showToolbar_ = value;
    if (value)
        AdoptToolbar();
    else
        window_->RestoreToolbar();
}

void TrpPreview::AdoptToolbar()
{
    QWidget* toolbar = window_->ToolbarPanel;
    if (toolbar->parentWidget() == this)
        return;
    toolbar->setParent(this);
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, toolbar);
    toolbar->show();
}

void TrpPreview::FirePageChanged()
{
    if (OnPageChanged)
        OnPageChanged(*this, window_->CurrentPage);
}

void TrpPreview::wheelEvent(QWheelEvent* event)
{
    const int notches = event->angleDelta().y() / 120;
    if (notches != 0)
        window_->WheelTurned(notches);
    event->accept();
}

void TrpPreview::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    window_->FormResize();
}

} // namespace report
