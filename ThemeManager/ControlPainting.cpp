// The theme manager's painting of hooked controls, and keyboard cues.

#include "ButtonLayout.h"
#include "ThemeMgr.h"
#include "ThemeSrv.h"

#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QRegion>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolButton>

namespace {

// The state numbers of DrawButton.
constexpr int kNormal = 2;
constexpr int kHot = 3;
constexpr int kPressed = 4;
constexpr int kDisabled = 5;

// What a speed button shows.
struct TButtonFace {
    bool glyph;
    bool caption;
    TButtonLayout layout;
};

// As Qt's tool buttons have it: a button without a glyph shows its caption
// whatever its style ("Icon only" is the default style of every tool
// button, Stop included), and one with a glyph shows what its style says.
TButtonFace ButtonFaceOf(const QToolButton* button)
{
    Qt::ToolButtonStyle style = button->toolButtonStyle();
    if (style == Qt::ToolButtonFollowStyle)
        style = static_cast<Qt::ToolButtonStyle>(
            button->style()->styleHint(QStyle::SH_ToolButtonStyle, nullptr, button));
    const TButtonLayout layout = style == Qt::ToolButtonTextUnderIcon ? blGlyphTop : blGlyphLeft;
    if (button->icon().isNull())
        return {false, true, layout};
    return {style != Qt::ToolButtonTextOnly, style != Qt::ToolButtonIconOnly, layout};
}

QWidget* formOf(QWidget* control)
{
    QWidget* form = control;
    while (form && !IsForm(form))
        form = form->parentWidget();
    return form ? form : control->window();
}

} // namespace

void TThemeManager::PaintParentBackground(QWidget* control)
{
    QPainter painter(control);
    GetThemeServices().DrawParentBackground(control, painter, nullptr, false);
}

bool TThemeManager::PaintSpeedButton(QToolButton* button)
{
    // Buttons with menus or arrows keep Qt's own painting.
    if (button->menu() || button->arrowType() != Qt::NoArrow)
        return false;
    int state = kNormal;
    if (!button->isEnabled())
        state = kDisabled;
    else if (button->isDown() || button->isChecked())
        state = kPressed;
    else if (button->underMouse())
        state = kHot;
    QPainter painter(button);
    GetThemeServices().DrawParentBackground(button, painter, nullptr, false);
    DrawButton(button, state, button->hasFocus(), painter);
    return true;
}

void TThemeManager::DrawButton(QToolButton* button, int state, bool focused, QPainter& painter)
{
    TThemeServices& services = GetThemeServices();
    const ThemedElementDetails details = button->autoRaise() ? GetToolBarDetails(state) : GetButtonDetails(state);
    const QRect rect = button->rect();
    services.DrawBackground(painter, details, rect);
    const QRect content = services.GetContentRect(painter, details, rect);
    painter.setFont(button->font());

    const QIcon icon = button->icon();
    const TButtonFace face = ButtonFaceOf(button);
    const bool showGlyph = face.glyph && !icon.isNull();
    const QString text = face.caption ? button->text() : QString();
    const QSize glyphSize = showGlyph ? icon.actualSize(button->iconSize()) : QSize();
    const QSize textSize = text.isEmpty() ? QSize() : button->fontMetrics().size(Qt::TextShowMnemonic, text);
    const TButtonPlacement placement = CalcButtonLayout(content, glyphSize, textSize, face.layout, -1, 4,
                                                        button->layoutDirection() == Qt::RightToLeft);

    painter.save();
    painter.setClipRect(content);
    if (!text.isEmpty())
        services.DrawText(painter, details, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE,
                          state == kDisabled ? DTT_GRAYED : 0, placement.TextBounds);
    if (showGlyph) {
        const QIcon::Mode mode = state == kDisabled ? QIcon::Disabled : state == kHot ? QIcon::Active : QIcon::Normal;
        const QIcon::State on = button->isChecked() ? QIcon::On : QIcon::Off;
        painter.drawPixmap(placement.GlyphPos, icon.pixmap(glyphSize, button->devicePixelRatioF(), mode, on));
    }
    painter.restore();
    if (focused) {
        QStyleOptionFocusRect focus;
        focus.initFrom(button);
        focus.rect = content;
        button->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, button);
    }
}

bool TThemeManager::PaintGroupBox(QGroupBox* box)
{
    // A group box with a check box keeps Qt's painting, which draws it.
    if (box->isCheckable())
        return false;
    TThemeServices& services = GetThemeServices();
    const ThemedElementDetails details = GetButtonDetails(box->isEnabled() ? 27 : 28);
    const QString title = box->title();
    const bool rightToLeft = box->layoutDirection() == Qt::RightToLeft;
    const QSize textSize = title.isEmpty() ? QSize() : box->fontMetrics().size(Qt::TextShowMnemonic, title);
    QRect caption(QPoint(8, 0), textSize);
    if (rightToLeft)
        caption.moveRight(box->width() - 1 - 8);
    QRect frame = box->rect();
    frame.setTop(textSize.height() / 2);

    QPainter painter(box);
    painter.setFont(box->font());
    painter.setClipRegion(title.isEmpty() ? QRegion(box->rect()) : QRegion(box->rect()).subtracted(caption));
    services.DrawBackground(painter, details, frame);
    painter.setClipping(false);
    if (!title.isEmpty())
        services.DrawText(painter, details, title, DT_LEFT | DT_SINGLELINE | (rightToLeft ? DT_RTLREADING : 0), 0,
                          caption);
    return true;
}

void TThemeManager::PaintStatusBar(QWidget* bar)
{
    // The background first; the bar paints its panels over it.
    QPainter painter(bar);
    GetThemeServices().DrawBackground(painter, GetStatusDetails(1), bar->rect());
}

bool TThemeManager::PaintPanel(QWidget* panel)
{
    auto* frame = qobject_cast<QFrame*>(panel);
    const QWidget* parent = panel->parentWidget();
    if (!frame || !parent)
        return false;
    const bool parentColour = !panel->autoFillBackground() ||
                              panel->palette().color(panel->backgroundRole()) ==
                                  parent->palette().color(parent->backgroundRole());
    if (!parentColour)
        return false;

    QPainter painter(frame);
    const QPalette& palette = frame->palette();
    QRect rect = frame->rect();
    // Raised: highlight top and left, shadow bottom and right; sunken the
    // other way round.
    auto bevel = [&](int width) {
        const QFrame::Shadow shadow = frame->frameShadow();
        if (shadow == QFrame::Plain)
            return;
        const QColor topLeft = palette.color(shadow == QFrame::Raised ? QPalette::Light : QPalette::Dark);
        const QColor bottomRight = palette.color(shadow == QFrame::Raised ? QPalette::Dark : QPalette::Light);
        for (int i = 0; i < width && rect.width() > 1 && rect.height() > 1; ++i) {
            painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), topLeft);
            painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), topLeft);
            painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
            painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
            rect.adjust(1, 1, -1, -1);
        }
    };
    if (frame->frameShape() != QFrame::NoFrame) {
        bevel(frame->lineWidth());
        const int border = frame->midLineWidth();
        rect.adjust(border, border, -border, -border);
        if (frame->frameShape() == QFrame::WinPanel)
            bevel(1);
    }
    GetThemeServices().DrawParentBackground(frame, painter, &rect, false);
    return true;
}

void TThemeManager::KeyboardCues(QWidget* control, const QKeyEvent& key)
{
    QWidget* form = formOf(control);
    switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        // Focus rectangles show from now on.
        form->setAttribute(Qt::WA_KeyboardFocusChange, true);
        form->update();
        break;
    case Qt::Key_Alt:
        // Accelerators show: the static texts draw again.
        for (QLabel* label : form->findChildren<QLabel*>())
            label->update();
        break;
    default:
        break;
    }
}
