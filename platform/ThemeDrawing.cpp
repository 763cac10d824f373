#include "ThemeDrawing.h"

#include "AsciiText.h"
#include "Utf8Text.h"
#include "VisualStyleApi.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <array>
#include <map>
#include <utility>

namespace platform {
namespace {

constexpr std::array<std::string_view, 24> kClassNames{
    "button",   "clock",    "combobox", "edit",    "explorerbar", "header",     "listview", "menu",
    "page",     "progress", "rebar",    "scrollbar", "spin",      "startpanel", "status",   "tab",
    "taskband", "taskbar",  "toolbar",  "tooltip", "trackbar",    "traynotify", "treeview", "window",
};

// The four states the interactive parts share: normal, hot, pressed,
// disabled (1-4), as style flags.
QStyle::State interactiveState(int state)
{
    switch (state) {
    case 2:
        return QStyle::State_Enabled | QStyle::State_MouseOver | QStyle::State_Raised;
    case 3:
        return QStyle::State_Enabled | QStyle::State_Sunken;
    case 4:
        return QStyle::State_None;
    default:
        return QStyle::State_Enabled | QStyle::State_Raised;
    }
}

// Check boxes and radio buttons number their states in groups of four
// (unchecked, checked, mixed), each normal, hot, pressed, disabled.
QStyle::State indicatorState(int state)
{
    const int group = (state - 1) / 4;
    QStyle::State flags = interactiveState((state - 1) % 4 + 1) & ~QStyle::State_Raised;
    flags |= group == 0 ? QStyle::State_Off : group == 1 ? QStyle::State_On : QStyle::State_NoChange;
    return flags;
}

bool disabledState(ThemeClass themeClass, int part, int state)
{
    switch (themeClass) {
    case ThemeClass::Button:
        if (part == 2 || part == 3)
            return (state - 1) % 4 == 3;
        return part == 4 ? state == 2 : state == 4;
    case ThemeClass::Edit:
    case ThemeClass::Tab:
    case ThemeClass::ToolBar:
    case ThemeClass::Window:
        return state == 4;
    default:
        return false;
    }
}

QStyle::StandardPixmap captionButtonPixmap(int part)
{
    switch (part) {
    case 13:
    case 14:
        return QStyle::SP_TitleBarMenuButton;
    case 15:
    case 16:
        return QStyle::SP_TitleBarMinButton;
    case 17:
        return QStyle::SP_TitleBarMaxButton;
    case 21:
    case 22:
        return QStyle::SP_TitleBarNormalButton;
    case 23:
    case 24:
        return QStyle::SP_TitleBarContextHelpButton;
    default:
        return QStyle::SP_TitleBarCloseButton;
    }
}

// How far below the top of its rectangle a style draws a group box's
// frame (Qt's styles may keep room for a caption there): the first row it
// paints in a probe.  Measured once for each style and caption height, as
// group boxes are painted often; painting runs on the GUI thread alone.
int groupBoxFrameDrop(const QStyle& style, const QStyleOptionFrame& frame)
{
    static std::map<std::pair<QString, int>, int> measured;
    const std::pair<QString, int> key(style.name(), frame.fontMetrics.height());
    if (const auto known = measured.find(key); known != measured.end())
        return known->second;
    int drop = 0;
    QImage probe(24, 128, QImage::Format_ARGB32_Premultiplied);
    probe.fill(Qt::transparent);
    {
        QPainter painter(&probe);
        QStyleOptionFrame option = frame;
        option.rect = probe.rect();
        style.drawPrimitive(QStyle::PE_FrameGroupBox, &option, &painter);
    }
    const int column = probe.width() / 2;
    for (int y = 0; y < probe.height() / 2; ++y)
        if (qAlpha(probe.pixel(column, y)) != 0) {
            drop = y;
            break;
        }
    measured.emplace(key, drop);
    return drop;
}

} // namespace

std::optional<ThemeClass> FindThemeClass(std::u16string_view classList)
{
    const std::string list = utf8::FromUtf16(classList);
    std::string_view rest = list;
    while (true) {
        const std::size_t end = rest.find(';');
        const std::string_view name = TrimmedBlanks(rest.substr(0, end));
        for (std::size_t i = 0; i < kClassNames.size(); ++i)
            if (EqualsNoCase(name, kClassNames[i]))
                return static_cast<ThemeClass>(i);
        if (end == std::string_view::npos)
            return std::nullopt;
        rest.remove_prefix(end + 1);
    }
}

ThemeDrawing::ThemeDrawing(const QStyle& style, const QPalette& palette)
    : style_(style)
    , palette_(palette)
{
}

void ThemeDrawing::DrawBackground(QPainter& painter, ThemeClass themeClass, int part, int state,
                                  const QRect& rect) const
{
    auto fill = [&](QPalette::ColorRole role) { painter.fillRect(rect, palette_.brush(role)); };
    QStyleOption plain;
    plain.rect = rect;
    plain.palette = palette_;
    plain.state = interactiveState(state);

    switch (themeClass) {
    case ThemeClass::Button:
        if (part == 1 || part == 5) {
            QStyleOptionButton button;
            button.rect = rect;
            button.palette = palette_;
            button.state = interactiveState(state);
            if (part == 1 && state == 5)
                button.features |= QStyleOptionButton::DefaultButton;
            style_.drawControl(QStyle::CE_PushButtonBevel, &button, &painter);
        } else if (part == 2 || part == 3) {
            QStyleOptionButton indicator;
            indicator.rect = rect;
            indicator.palette = palette_;
            indicator.state = indicatorState(state);
            style_.drawPrimitive(part == 2 ? QStyle::PE_IndicatorRadioButton : QStyle::PE_IndicatorCheckBox,
                                 &indicator, &painter);
        } else if (part == 4) {
            // The frame's lines lie on the rectangle's edges: the caller
            // places the caption.  A Qt style may draw the frame lower, to
            // leave room for a caption of its own; it is drawn that much
            // higher, clipped to the rectangle.
            QStyleOptionFrame frame;
            frame.rect = rect;
            frame.palette = palette_;
            frame.state = state == 2 ? QStyle::State_None : QStyle::State_Enabled;
            frame.lineWidth = 1;
            frame.rect.setTop(rect.top() - groupBoxFrameDrop(style_, frame));
            painter.save();
            painter.setClipRect(rect, Qt::IntersectClip);
            style_.drawPrimitive(QStyle::PE_FrameGroupBox, &frame, &painter);
            painter.restore();
        } else {
            fill(QPalette::Button);
        }
        return;
    case ThemeClass::Edit: {
        QStyleOptionFrame frame;
        frame.rect = rect;
        frame.palette = palette_;
        frame.lineWidth = style_.pixelMetric(QStyle::PM_DefaultFrameWidth);
        frame.state = state == 4 ? QStyle::State_None : QStyle::State_Enabled;
        if (state == 2)
            frame.state |= QStyle::State_MouseOver;
        if (state == 3 || state == 5)
            frame.state |= QStyle::State_HasFocus;
        if (state == 6)
            frame.state |= QStyle::State_ReadOnly;
        style_.drawPrimitive(QStyle::PE_PanelLineEdit, &frame, &painter);
        return;
    }
    case ThemeClass::Rebar:
        if (part == 1 || part == 2) {
            plain.state |= part == 1 ? QStyle::State_Horizontal : QStyle::State_None;
            style_.drawPrimitive(QStyle::PE_IndicatorToolBarHandle, &plain, &painter);
        } else if (part == 4 || part == 5) {
            style_.drawPrimitive(part == 4 ? QStyle::PE_IndicatorArrowDown : QStyle::PE_IndicatorArrowRight, &plain,
                                 &painter);
        } else {
            fill(part == 3 ? QPalette::Button : QPalette::Window);
        }
        return;
    case ThemeClass::Status:
        if (part == 3) {
            QStyleOptionSizeGrip grip;
            grip.rect = rect;
            grip.palette = palette_;
            grip.state = QStyle::State_Enabled;
            grip.corner = Qt::BottomRightCorner;
            style_.drawControl(QStyle::CE_SizeGrip, &grip, &painter);
        } else if (part == 1 || part == 2) {
            style_.drawPrimitive(QStyle::PE_FrameStatusBarItem, &plain, &painter);
        } else {
            fill(QPalette::Window);
            style_.drawPrimitive(QStyle::PE_PanelStatusBar, &plain, &painter);
        }
        return;
    case ThemeClass::Tab:
        if (part >= 1 && part <= 8) {
            QStyleOptionTab tab;
            tab.rect = rect;
            tab.palette = palette_;
            tab.shape = QTabBar::RoundedNorth;
            const int kind = (part - 1) % 4; // item, left edge, right edge, both edges
            tab.position = kind == 0   ? QStyleOptionTab::Middle
                           : kind == 1 ? QStyleOptionTab::Beginning
                           : kind == 2 ? QStyleOptionTab::End
                                       : QStyleOptionTab::OnlyOneTab;
            tab.state = state == 4 ? QStyle::State_None : QStyle::State_Enabled;
            if (state == 2)
                tab.state |= QStyle::State_MouseOver;
            if (state == 3)
                tab.state |= QStyle::State_Selected;
            if (state == 5)
                tab.state |= QStyle::State_HasFocus;
            style_.drawControl(QStyle::CE_TabBarTabShape, &tab, &painter);
        } else if (part == 9) {
            QStyleOptionTabWidgetFrame pane;
            pane.rect = rect;
            pane.palette = palette_;
            pane.state = QStyle::State_Enabled;
            pane.lineWidth = style_.pixelMetric(QStyle::PM_DefaultFrameWidth);
            style_.drawPrimitive(QStyle::PE_FrameTabWidget, &pane, &painter);
        } else {
            fill(QPalette::Window);
        }
        return;
    case ThemeClass::ToolBar:
        if (part >= 1 && part <= 4) {
            // Tool-bar buttons are flat: the normal and disabled states
            // leave the background alone.
            QStyleOptionToolButton button;
            button.rect = rect;
            button.palette = palette_;
            button.state = QStyle::State_AutoRaise | QStyle::State_Enabled;
            switch (state) {
            case 2:
                button.state |= QStyle::State_MouseOver | QStyle::State_Raised;
                break;
            case 3:
                button.state |= QStyle::State_Sunken;
                break;
            case 5:
                button.state |= QStyle::State_On | QStyle::State_Sunken;
                break;
            case 6:
                button.state |= QStyle::State_On | QStyle::State_MouseOver;
                break;
            default:
                break;
            }
            if (state == 2 || state == 3 || state == 5 || state == 6)
                style_.drawPrimitive(QStyle::PE_PanelButtonTool, &button, &painter);
            if (part == 2 || part == 4) {
                QStyleOption arrow = button;
                if (state == 4)
                    arrow.state &= ~QStyle::State_Enabled;
                const int width = std::min(rect.width(), 10);
                arrow.rect = QRect(rect.right() - width + 1, rect.top(), width, rect.height());
                style_.drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter);
            }
        } else if (part == 5 || part == 6) {
            plain.state |= part == 5 ? QStyle::State_Horizontal : QStyle::State_None;
            style_.drawPrimitive(QStyle::PE_IndicatorToolBarSeparator, &plain, &painter);
        } else {
            fill(QPalette::Window);
        }
        return;
    case ThemeClass::TrackBar: {
        QStyleOptionSlider slider;
        slider.rect = rect;
        slider.palette = palette_;
        slider.state = interactiveState(state);
        const bool vertical = part == 2 || (part >= 6 && part <= 8) || part == 10;
        slider.orientation = vertical ? Qt::Vertical : Qt::Horizontal;
        slider.minimum = 0;
        slider.maximum = 100;
        slider.sliderPosition = slider.sliderValue = 50;
        slider.tickPosition = QSlider::TicksBelow;
        slider.subControls = part <= 2 ? QStyle::SC_SliderGroove
                             : part <= 8 ? QStyle::SC_SliderHandle
                                         : QStyle::SC_SliderTickmarks;
        style_.drawComplexControl(QStyle::CC_Slider, &slider, &painter);
        return;
    }
    case ThemeClass::Window:
        if (part >= 13 && part <= 24) {
            QStyleOptionButton button;
            button.rect = rect;
            button.palette = palette_;
            button.state = interactiveState(state);
            style_.drawPrimitive(QStyle::PE_PanelButtonCommand, &button, &painter);
            const int side = std::max(6, std::min(rect.width(), rect.height()) - 4);
            const QIcon::Mode mode = state == 4 ? QIcon::Disabled : state == 2 ? QIcon::Active : QIcon::Normal;
            const QPixmap glyph = style_.standardIcon(captionButtonPixmap(part)).pixmap(QSize(side, side), mode);
            QRect at(QPoint(0, 0), QSize(side, side));
            at.moveCenter(rect.center());
            if (state == 3)
                at.translate(1, 1);
            painter.drawPixmap(at, glyph);
        } else if (part >= 1 && part <= 6) {
            fill(QPalette::Highlight);
        } else if (part >= 7 && part <= 12) {
            fill(QPalette::Dark);
        } else if (part >= 25 && part <= 28) {
            if (part % 2 == 0)
                style_.drawPrimitive(QStyle::PE_PanelButtonBevel, &plain, &painter);
            else
                fill(QPalette::Mid);
        } else {
            fill(QPalette::Window);
        }
        return;
    default:
        fill(QPalette::Button);
        return;
    }
}

QRect ThemeDrawing::ContentRect(ThemeClass themeClass, int part, int, const QRect& bounds) const
{
    int inset = 0;
    switch (themeClass) {
    case ThemeClass::Button:
        inset = part == 1 || part == 5 ? 3 : part == 4 ? 2 : 0;
        break;
    case ThemeClass::Edit:
        inset = style_.pixelMetric(QStyle::PM_DefaultFrameWidth);
        break;
    case ThemeClass::Status:
        inset = part == 1 || part == 2 ? 1 : 0;
        break;
    case ThemeClass::Tab:
        inset = part == 9 ? 2 : part <= 8 ? 3 : 0;
        break;
    case ThemeClass::ToolBar:
        inset = part <= 4 ? 3 : 0;
        break;
    case ThemeClass::Window:
        inset = part <= 24 ? 2 : 0;
        break;
    default:
        break;
    }
    return bounds.adjusted(inset, inset, -inset, -inset);
}

void ThemeDrawing::DrawText(QPainter& painter, ThemeClass themeClass, int part, int state, const QString& text,
                            DWORD flags, DWORD flags2, const QRect& rect) const
{
    int alignment = (flags & DT_CENTER) ? Qt::AlignHCenter : (flags & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
    alignment |= (flags & DT_VCENTER) ? Qt::AlignVCenter : (flags & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
    if (flags & DT_WORDBREAK)
        alignment |= Qt::TextWordWrap;
    if (flags & DT_EXPANDTABS)
        alignment |= Qt::TextExpandTabs;
    if (!(flags & DT_NOPREFIX))
        alignment |= Qt::TextShowMnemonic;
    if (flags & DT_SINGLELINE)
        alignment |= Qt::TextSingleLine;
    const QPalette::ColorGroup group =
        (flags2 & DTT_GRAYED) || disabledState(themeClass, part, state) ? QPalette::Disabled : QPalette::Active;
    const QPalette::ColorRole role = themeClass == ThemeClass::Button ? QPalette::ButtonText
                                     : themeClass == ThemeClass::Edit ? QPalette::Text
                                                                      : QPalette::WindowText;
    painter.save();
    painter.setPen(palette_.color(group, role));
    painter.setLayoutDirection((flags & DT_RTLREADING) ? Qt::RightToLeft : Qt::LeftToRight);
    painter.drawText(rect, alignment, text);
    painter.restore();
}

QRect ThemeDrawing::DrawEdge(QPainter& painter, const QRect& rect, UINT edge, UINT flags) const
{
    QRect r = rect;
    auto line = [&](const QColor& topLeft, const QColor& bottomRight) {
        if (r.width() <= 0 || r.height() <= 0)
            return;
        if (flags & BF_LEFT)
            painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
        if (flags & BF_TOP)
            painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
        if (flags & BF_RIGHT)
            painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
        if (flags & BF_BOTTOM)
            painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
        r.adjust((flags & BF_LEFT) ? 1 : 0, (flags & BF_TOP) ? 1 : 0, (flags & BF_RIGHT) ? -1 : 0,
                 (flags & BF_BOTTOM) ? -1 : 0);
    };
    if (edge & BDR_RAISEDOUTER)
        line(palette_.color(QPalette::Midlight), palette_.color(QPalette::Shadow));
    else if (edge & BDR_SUNKENOUTER)
        line(palette_.color(QPalette::Dark), palette_.color(QPalette::Light));
    if (edge & BDR_RAISEDINNER)
        line(palette_.color(QPalette::Light), palette_.color(QPalette::Dark));
    else if (edge & BDR_SUNKENINNER)
        line(palette_.color(QPalette::Shadow), palette_.color(QPalette::Midlight));
    return r;
}

bool ThemeDrawing::PartiallyTransparent(ThemeClass themeClass, int part, int) const
{
    switch (themeClass) {
    case ThemeClass::Button:
        return part >= 1 && part <= 5;
    case ThemeClass::Tab:
        return part >= 1 && part <= 8;
    case ThemeClass::ToolBar:
        return part >= 1 && part <= 6;
    case ThemeClass::Window:
        return part >= 13 && part <= 24;
    default:
        return false;
    }
}

} // namespace platform
