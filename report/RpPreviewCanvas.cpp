// The preview's page canvas: painting the pages where the layout put them,
// and the mouse on them.

#include "RP_View.h"

#include "RpFormTexts.h"
#include "RpReport.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>

#include <charconv>
#include <optional>

namespace report {

namespace {

const QColor kCanvasGray(128, 128, 128);
// Pages whose top lies further down than this (or than the canvas, when
// it is taller) are not drawn.
constexpr int kPaintDepth = 2000;

// The page number of a link "...@N": the number after the first "@", when
// the "@" is not the last character and a whole number follows.
std::optional<long long> LinkedPage(const std::string& link)
{
    const std::size_t at = link.find('@');
    if (at == std::string::npos || at + 1 >= link.size() || link.rfind('@') + 1 >= link.size())
        return std::nullopt;
    const char* first = link.data() + at + 1;
    const char* last = link.data() + link.size();
    long long value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc::result_out_of_range)
        return *first == '-' ? std::optional<long long>(0) : std::nullopt;
    if (error != std::errc() || end != last)
        return std::nullopt;
    return value;
}

} // namespace

TrpPBox::TrpPBox(TrpPreviewForm& form, QWidget* parent) : QWidget(parent), form_(form)
{
    // The canvas paints every pixel itself: no background is erased.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void TrpPBox::paintEvent(QPaintEvent* event)
{
    if (!form_.PaintEnabled)
        return;
    QPainter painter(this);
    form_.PaintCanvas(painter, event->region());
}

void TrpPBox::mousePressEvent(QMouseEvent* event)
{
    form_.CanvasMousePress(event);
}

void TrpPBox::mouseMoveEvent(QMouseEvent* event)
{
    form_.CanvasMouseMove(event);
}

void TrpPBox::mouseReleaseEvent(QMouseEvent*)
{
    Dragging = false;
}

void TrpPBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The double click stands for the second press: no press follows it
    // here, so nothing is to be skipped afterwards.
    if (event->button() == Qt::LeftButton)
        form_.CanvasDoubleClick();
}

void TrpPBox::wheelEvent(QWheelEvent* event)
{
    form_.wheelRemainder_ += event->angleDelta().y();
    const int notches = form_.wheelRemainder_ / 120;
    form_.wheelRemainder_ -= notches * 120;
    if (notches != 0)
        form_.WheelTurned(notches);
    event->accept();
}

void TrpPBox::keyPressEvent(QKeyEvent* event)
{
    if (!form_.FormKeyDown(event->key(), event->modifiers()))
        event->ignore();
}

bool TrpPBox::event(QEvent* event)
{
    // Tab belongs to the window's keys, not to the focus chain.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            form_.FormKeyDown(key->key(), key->modifiers());
            return true;
        }
    }
    return QWidget::event(event);
}

// ---- painting -----------------------------------------------------------------

void TrpPreviewForm::PaintCanvas(QPainter& painter, const QRegion& region)
{
    if (!HasPages()) {
        painter.fillRect(PBox->rect(), palette().color(QPalette::Button));
        return;
    }
    const int depth = std::max(kPaintDepth, PBox->height());
    const std::size_t count = Pages->Count();
    QRegion gray = region;
    std::vector<QRect> shown;
    for (std::size_t i = 0; i < count; ++i) {
        TrpEMFPage& page = Pages->PageRecord(i);
        const TrpLayoutRect& r = page.LayoutRect;
        const QRect onCanvas(QPoint(r.Left + XOffset, r.Top + YOffset),
                             QPoint(r.Right + XOffset - 1, r.Bottom + YOffset - 1));
        page.Visible = onCanvas.top() <= depth && onCanvas.bottom() + 1 >= 0 && region.intersects(onCanvas);
        if (page.Visible) {
            gray -= onCanvas.adjusted(1, 1, -1, -1);
            shown.push_back(onCanvas);
        } else {
            shown.emplace_back();
        }
    }
    painter.setClipRegion(gray);
    painter.fillRect(PBox->rect(), kCanvasGray);
    painter.setClipRegion(region);

    for (std::size_t i = 0; i < count; ++i) {
        TrpEMFPage& page = Pages->PageRecord(i);
        if (!page.Visible) {
            Pages->PaintPage(i, painter, QRect());  // releases what the page built
            continue;
        }
        const QRect& r = shown[i];
        painter.setPen(Qt::black);
        painter.setBrush(Qt::white);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        painter.drawLine(r.left() + 1, r.bottom() + 1, r.right() + 1, r.bottom() + 1);
        painter.drawLine(r.right() + 1, r.bottom() + 1, r.right() + 1, r.top() + 1);
        painter.save();
        Pages->PaintPage(i, painter, TrpPreviewLayout::ContentRect(page, QRect(r.topLeft(), r.size()), Zoom));
        painter.restore();
    }

    const QRect mark = FoundMark();
    if (!mark.isEmpty()) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(mark, Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

// ---- the mouse ----------------------------------------------------------------

void TrpPreviewForm::FollowLink(const std::string& link)
{
    const std::optional<long long> linked = LinkedPage(link);
    if (!linked)
        return;
    const long long page = std::max(*linked, 1LL);
    if (std::size_t(page) <= Pages->Count())
        GoToPage(int(page));
}

void TrpPreviewForm::CanvasMousePress(QMouseEvent* event)
{
    if (HelpMode) {
        HelpAt(PBox->mapTo(this, event->position().toPoint()));
        return;
    }
    if (!HasPages())
        return;
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        QMenu* menu = PopupMenu != nullptr ? PopupMenu.data() : ProcMenu;
        menu->popup(PBox->mapToGlobal(pos));
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    PBox->ClickPage = CurrentPage;
    const QPoint layoutPoint(pos.x() - XOffset, pos.y() - YOffset);
    if (const int page = TrpPreviewLayout::PageAtPoint(*Pages, layoutPoint)) {
        PBox->ClickPage = page;
        const std::size_t index = std::size_t(page) - 1;
        std::string link;
        Qt::CursorShape cursor = Qt::ArrowCursor;
        const QPoint onPage = TrpPreviewLayout::PagePoint(Pages->PageRecord(index), layoutPoint, Zoom);
        if (Pages->HitTest(index, onPage, link, cursor, true)) {
            FollowLink(link);
            return;
        }
    }
    PBox->Dragging = true;
    PBox->LastX = pos.x();
    PBox->LastY = pos.y();
    CurrentPage = PBox->ClickPage;
    UpdatePageLabel();
}

void TrpPreviewForm::CanvasMouseMove(QMouseEvent* event)
{
    if (!HasPages())
        return;
    const QPoint pos = event->position().toPoint();
    if (PBox->Dragging) {
        SetHorzPosition(HScrollBar->value() + PBox->LastX - pos.x());
        SetVertPosition(VScrollBar->value() + PBox->LastY - pos.y());
        PBox->LastX = pos.x();
        PBox->LastY = pos.y();
        return;
    }
    if (Report == nullptr)
        return;
    const QPoint layoutPoint(pos.x() - XOffset, pos.y() - YOffset);
    std::string link;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    bool answered = false;
    if (const int page = TrpPreviewLayout::PageAtPoint(*Pages, layoutPoint)) {
        const std::size_t index = std::size_t(page) - 1;
        const QPoint onPage = TrpPreviewLayout::PagePoint(Pages->PageRecord(index), layoutPoint, Zoom);
        answered = Pages->HitTest(index, onPage, link, cursor, false);
    }
    PBox->setCursor(answered ? cursor : Qt::ArrowCursor);
    const std::optional<long long> linked = LinkedPage(link);
    Label2->setText(linked ? FormText(55004, "Page") + QLatin1Char(' ') + QString::number(*linked)
                           : QString::fromStdString(link));
}

void TrpPreviewForm::CanvasDoubleClick()
{
    PBox->Dragging = false;
    if (HasPages() && PBox->ClickPage != 0) {
        CurrentPage = PBox->ClickPage;
        UpdatePageLabel();
        if (N5->isVisible())
            EditBtnClick();
    }
}

} // namespace report
