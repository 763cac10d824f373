#include "RP_Ctrls.h"

#include <QEnterEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

namespace report {

namespace {

// What every button shares: created on the first paint, freed with the
// last button.
struct SharedPaint {
    int buttons = 0;
    QImage pattern;    // 8 x 8 checker of button face and white
    QImage offScreen;  // 100 x 100
};

SharedPaint& Shared()
{
    static SharedPaint shared;
    return shared;
}

void EnsureSharedPaint()
{
    SharedPaint& shared = Shared();
    if (!shared.pattern.isNull())
        return;
    shared.pattern = QImage(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            shared.pattern.setPixel(x, y, (x % 2) == (y % 2) ? qRgb(255, 255, 255) : ButtonColors::Face().rgb());
    shared.offScreen = QImage(100, 100, QImage::Format_ARGB32_Premultiplied);
}

QRgb Opaque(QRgb color)
{
    return color | 0xFF000000u;
}

bool SameRgb(QRgb a, QRgb b)
{
    return (a & 0xFFFFFF) == (b & 0xFFFFFF);
}

// Pixels of the key colour become transparent.
QImage Masked(QImage image, QRgb key)
{
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (SameRgb(line[x], key))
                line[x] = 0;
    }
    return image;
}

// A one-pixel frame: one colour on the top and left edges, another on the
// bottom and right ones.
void DrawEdges(QPainter& painter, int width, int height, const QColor& topLeft, const QColor& bottomRight)
{
    painter.setPen(topLeft);
    painter.drawLine(0, 0, width - 1, 0);
    painter.drawLine(0, 0, 0, height - 1);
    painter.setPen(bottomRight);
    painter.drawLine(0, height - 1, width - 1, height - 1);
    painter.drawLine(width - 1, 0, width - 1, height - 1);
}

int Div(int a, int b)
{
    return a / b;  // C++ division truncates toward zero, as the layout wants
}

} // namespace

QColor ButtonColors::Face()
{
    return QColor(240, 240, 240);
}

QColor ButtonColors::Highlight()
{
    return QColor(255, 255, 255);
}

QColor ButtonColors::Shadow()
{
    return QColor(160, 160, 160);
}

// ---- layout ------------------------------------------------------------------

TrpButtonLayoutResult CalcButtonLayout(const QRect& client, QSize glyph, QSize text, TrpButtonLayout layout,
                                       int margin, int spacing)
{
    const QSize c = client.size();
    const bool horizontal = layout == TrpButtonLayout::GlyphLeft || layout == TrpButtonLayout::GlyphRight;
    QPoint glyphPos, textPos;
    if (horizontal) {
        glyphPos.setY(Div(c.height() - glyph.height() + 1, 2));
        textPos.setY(Div(c.height() - text.height() + 1, 2));
    } else {
        glyphPos.setX(Div(c.width() - glyph.width() + 1, 2));
        textPos.setX(Div(c.width() - text.width() + 1, 2));
    }
    if (text.width() == 0 || glyph.width() == 0)
        spacing = 0;
    const int clientAxis = horizontal ? c.width() : c.height();
    const int glyphAxis = horizontal ? glyph.width() : glyph.height();
    const int textAxis = horizontal ? text.width() : text.height();
    if (margin == -1 && spacing == -1) {
        margin = spacing = Div(clientAxis - (glyphAxis + textAxis), 3);
    } else if (margin == -1) {
        margin = Div(clientAxis - (glyphAxis + spacing + textAxis) + 1, 2);
    } else if (spacing == -1) {
        spacing = Div(clientAxis - margin - glyphAxis - textAxis, 2);
    }
    switch (layout) {
    case TrpButtonLayout::GlyphLeft:
        glyphPos.setX(margin);
        textPos.setX(margin + glyph.width() + spacing);
        break;
    case TrpButtonLayout::GlyphRight:
        glyphPos.setX(c.width() - margin - glyph.width());
        textPos.setX(glyphPos.x() - spacing - text.width());
        break;
    case TrpButtonLayout::GlyphTop:
        glyphPos.setY(margin);
        textPos.setY(margin + glyph.height() + spacing);
        break;
    case TrpButtonLayout::GlyphBottom:
        glyphPos.setY(c.height() - margin - glyph.height());
        textPos.setY(glyphPos.y() - spacing - text.height());
        break;
    }
    return {glyphPos + client.topLeft(), QRect(textPos + client.topLeft(), text)};
}

// ---- image lists -------------------------------------------------------------

int TGlyphList::Add(QImage image)
{
    std::size_t slot = 0;
    while (slot < used_.size() && used_[slot])
        ++slot;
    if (slot == used_.size()) {
        used_.push_back(false);
        images_.emplace_back();
    }
    used_[slot] = true;
    images_[slot] = std::move(image);
    ++count_;
    return static_cast<int>(slot);
}

void TGlyphList::Delete(int index)
{
    const auto slot = static_cast<std::size_t>(index);
    if (slot < used_.size() && used_[slot]) {
        used_[slot] = false;
        images_[slot] = QImage();
        --count_;
    }
}

TGlyphCache& TGlyphCache::Instance()
{
    static TGlyphCache cache;
    return cache;
}

TGlyphList* TGlyphCache::GetList(int width, int height)
{
    for (auto it = lists_.rbegin(); it != lists_.rend(); ++it)
        if ((*it)->Width() == width && (*it)->Height() == height)
            return it->get();
    lists_.push_back(std::make_unique<TGlyphList>(width, height));
    return lists_.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* list)
{
    if (list == nullptr || list->Count() != 0)
        return;
    for (auto it = lists_.begin(); it != lists_.end(); ++it)
        if (it->get() == list) {
            lists_.erase(it);
            return;
        }
}

// ---- glyph -------------------------------------------------------------------

TButtonGlyph::~TButtonGlyph()
{
    ReleaseImages();
}

void TButtonGlyph::ReleaseImages()
{
    for (int& index : indexes_) {
        if (index != -1 && list_ != nullptr)
            list_->Delete(index);
        index = -1;
    }
    if (list_ != nullptr)
        TGlyphCache::Instance().ReturnList(list_);
    list_ = nullptr;
}

void TButtonGlyph::SetGlyph(const QImage& strip)
{
    ReleaseImages();
    glyph_ = strip.isNull() ? QImage() : strip.convertToFormat(QImage::Format_RGB32);
    if (!glyph_.isNull() && glyph_.height() > 0) {
        transparent_ = Opaque(glyph_.pixel(0, glyph_.height() - 1));
        if (glyph_.width() % glyph_.height() == 0) {
            const int count = glyph_.width() / glyph_.height();
            numGlyphs_ = count > 4 ? 1 : count;
        }
    }
    if (OnChange)
        OnChange();
}

void TButtonGlyph::SetNumGlyphs(int count)
{
    if (count != 0 && count != numGlyphs_) {
        ReleaseImages();
        numGlyphs_ = count;
        if (OnChange)
            OnChange();
    }
}

QSize TButtonGlyph::ImageSize() const
{
    if (glyph_.isNull() || glyph_.width() == 0 || glyph_.height() == 0)
        return {};
    return {glyph_.width() / numGlyphs_, glyph_.height()};
}

int TButtonGlyph::CreateButtonGlyph(TrpButtonState state)
{
    if (state == TrpButtonState::Down && numGlyphs_ < 3)
        state = TrpButtonState::Up;
    int& slot = indexes_[static_cast<std::size_t>(state)];
    if (slot != -1)
        return slot;
    if (glyph_.isNull() || (glyph_.width() == 0 && glyph_.height() == 0))
        return -1;
    const int w = glyph_.width() / numGlyphs_;
    const int h = glyph_.height();
    if (list_ == nullptr)
        list_ = TGlyphCache::Instance().GetList(w, h);

    const int source = static_cast<int>(state) < numGlyphs_ ? static_cast<int>(state) : 0;
    QImage image = glyph_.copy(source * w, 0, w, h);
    const QRgb face = ButtonColors::Face().rgb();
    switch (state) {
    case TrpButtonState::Up:
    case TrpButtonState::Down:
    case TrpButtonState::Exclusive:
        image = Masked(image, transparent_);
        break;
    case TrpButtonState::Disabled:
        if (numGlyphs_ > 1) {
            // The strip's own disabled image in the system's colours.
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const QRgb pixel = image.pixel(x, y);
                    if (SameRgb(pixel, qRgb(255, 255, 255)))
                        image.setPixel(x, y, ButtonColors::Highlight().rgb());
                    else if (SameRgb(pixel, qRgb(128, 128, 128)))
                        image.setPixel(x, y, ButtonColors::Shadow().rgb());
                    else if (SameRgb(pixel, transparent_))
                        image.setPixel(x, y, face);
                }
        } else {
            // An embossed silhouette of what the glyph draws: every pixel
            // that is neither transparent nor white.
            QImage embossed(w, h, QImage::Format_RGB32);
            embossed.fill(face);
            for (const auto& [offset, color] : {std::pair{1, ButtonColors::Highlight().rgb()},
                                                std::pair{0, ButtonColors::Shadow().rgb()}})
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) {
                        const QRgb pixel = image.pixel(x, y);
                        if (!SameRgb(pixel, transparent_) && !SameRgb(pixel, qRgb(255, 255, 255)) &&
                            x + offset < w && y + offset < h)
                            embossed.setPixel(x + offset, y + offset, color);
                    }
            image = embossed;
        }
        break;
    case TrpButtonState::Inactive:
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (SameRgb(pixel, transparent_) || SameRgb(pixel, face)) {
                    image.setPixel(x, y, face);
                    continue;
                }
                const int v = (77 * qRed(pixel) + 150 * qGreen(pixel) + 29 * qBlue(pixel)) >> 8;
                image.setPixel(x, y, qRgb(v, v, v));
            }
        image = Masked(image, face);
        break;
    }
    slot = list_->Add(std::move(image));
    return slot;
}

const QImage* TButtonGlyph::StateImage(TrpButtonState state)
{
    const int index = CreateButtonGlyph(state);
    return index == -1 ? nullptr : &list_->Image(index);
}

void TButtonGlyph::Draw(QPainter& painter, QPoint at, TrpButtonState state, bool transparent)
{
    const QImage* image = StateImage(state);
    if (image == nullptr)
        return;
    if (!transparent)
        painter.fillRect(QRect(at, image->size()), ButtonColors::Face());
    painter.drawImage(at, *image);
}

// ---- button ------------------------------------------------------------------

TrpSpeedButton::TrpSpeedButton(QWidget* parent) : QWidget(parent)
{
    ++Shared().buttons;
    setGeometry(0, 0, 22, 22);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_Hover);
    glyph_.OnChange = [this] { update(); };
}

TrpSpeedButton::~TrpSpeedButton()
{
    if (--Shared().buttons == 0) {
        Shared().pattern = QImage();
        Shared().offScreen = QImage();
    }
}

void TrpSpeedButton::SetAllowAllUp(bool value)
{
    if (value != allowAllUp_) {
        allowAllUp_ = value;
        UpdateExclusive();
    }
}

void TrpSpeedButton::SetGroupIndex(int value)
{
    if (value != groupIndex_) {
        groupIndex_ = value;
        UpdateExclusive();
    }
}

void TrpSpeedButton::SetDown(bool value)
{
    if (groupIndex_ == 0)
        value = false;
    if (value == down_)
        return;
    if (down_ && !allowAllUp_)
        return;
    down_ = value;
    state_ = value ? TrpButtonState::Exclusive : TrpButtonState::Up;
    update();
    if (value)
        UpdateExclusive();
}

void TrpSpeedButton::SetFlat(bool value)
{
    if (value != flat_) {
        flat_ = value;
        update();
    }
}

void TrpSpeedButton::SetCaption(const QString& caption)
{
    if (caption != caption_) {
        caption_ = caption;
        UpdateShortcut();
        update();
    }
}

void TrpSpeedButton::SetGlyph(const QImage& strip)
{
    glyph_.SetGlyph(strip);
    update();
}

void TrpSpeedButton::SetGrayedInactive(bool value)
{
    if (value != grayedInactive_) {
        grayedInactive_ = value;
        update();
    }
}

void TrpSpeedButton::SetLayout(TrpButtonLayout value)
{
    if (value != layout_) {
        layout_ = value;
        update();
    }
}

void TrpSpeedButton::SetMargin(int value)
{
    if (value != margin_ && value >= -1) {
        margin_ = value;
        update();
    }
}

void TrpSpeedButton::SetNumGlyphs(int value)
{
    value = std::min(value, 4);
    if (value != glyph_.NumGlyphs()) {
        glyph_.SetNumGlyphs(value);
        update();
    }
}

void TrpSpeedButton::SetSpacing(int value)
{
    if (value != spacing_) {
        spacing_ = value;
        update();
    }
}

void TrpSpeedButton::Click()
{
    if (OnClick)
        OnClick();
}

void TrpSpeedButton::UpdateShortcut()
{
    if (shortcutId_ != 0)
        releaseShortcut(shortcutId_);
    shortcutId_ = 0;
    const QKeySequence mnemonic = QKeySequence::mnemonic(caption_);
    if (!mnemonic.isEmpty())
        shortcutId_ = grabShortcut(mnemonic);
}

bool TrpSpeedButton::event(QEvent* event)
{
    if (event->type() == QEvent::Shortcut && static_cast<QShortcutEvent*>(event)->shortcutId() == shortcutId_) {
        if (isEnabled())
            Click();
        return true;
    }
    return QWidget::event(event);
}

void TrpSpeedButton::UpdateExclusive()
{
    if (groupIndex_ == 0 || parentWidget() == nullptr)
        return;
    for (QObject* child : parentWidget()->children())
        if (auto* button = dynamic_cast<TrpSpeedButton*>(child))
            button->ButtonPressed(groupIndex_, this);
}

void TrpSpeedButton::ButtonPressed(int group, TrpSpeedButton* sender)
{
    if (group != groupIndex_ || sender == this)
        return;
    if (sender->down_ && down_) {
        down_ = false;
        state_ = TrpButtonState::Up;
        update();
    }
    allowAllUp_ = sender->allowAllUp_;
}

bool TrpSpeedButton::Inside(QPoint point) const
{
    return point.x() >= 0 && point.x() < width() && point.y() >= 0 && point.y() < height();
}

void TrpSpeedButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    if (!down_) {
        state_ = TrpButtonState::Down;
        repaint();
    }
    dragging_ = true;
}

void TrpSpeedButton::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_)
        return;
    TrpButtonState next = down_ ? TrpButtonState::Exclusive : TrpButtonState::Up;
    if (Inside(event->position().toPoint()))
        next = down_ ? TrpButtonState::Exclusive : TrpButtonState::Down;
    if (next != state_) {
        state_ = next;
        repaint();
    }
}

void TrpSpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (!dragging_)
        return;
    dragging_ = false;
    const bool inside = Inside(event->position().toPoint());
    if (groupIndex_ == 0) {
        state_ = TrpButtonState::Up;
        mouseInControl_ = false;
        repaint();
    } else if (inside) {
        SetDown(!down_);
    } else {
        if (down_)
            state_ = TrpButtonState::Exclusive;
        repaint();
    }
    UpdateTracking();
    update();
    if (inside)
        Click();
}

void TrpSpeedButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Qt hands the second press of a double click over as this event alone:
    // it presses the button as any press does, so that its release clicks.
    mousePressEvent(event);
    if (event->button() == Qt::LeftButton && down_ && OnDblClick)
        OnDblClick();
}

void TrpSpeedButton::UpdateTracking()
{
    if (flat_)
        mouseInControl_ = isEnabled() && underMouse();
}

void TrpSpeedButton::MouseEnter()
{
    if (flat_ && isEnabled() && !mouseInControl_) {
        if (OnMouseEnter)
            OnMouseEnter();
        mouseInControl_ = true;
        update();
    }
}

void TrpSpeedButton::MouseLeave()
{
    if (flat_ && isEnabled() && mouseInControl_) {
        if (OnMouseLeave)
            OnMouseLeave();
        mouseInControl_ = false;
        update();
    }
}

void TrpSpeedButton::enterEvent(QEnterEvent*)
{
    MouseEnter();
}

void TrpSpeedButton::leaveEvent(QEvent*)
{
    MouseLeave();
}

void TrpSpeedButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        glyph_.CreateButtonGlyph(isEnabled() ? TrpButtonState::Up : TrpButtonState::Disabled);
        UpdateTracking();
        update();
    } else if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
        update();
    }
    QWidget::changeEvent(event);
}

void TrpSpeedButton::Loaded()
{
    const TrpButtonState first = !isEnabled()     ? TrpButtonState::Disabled
                                 : grayedInactive_ ? TrpButtonState::Inactive
                                                   : TrpButtonState::Up;
    glyph_.CreateButtonGlyph(first);
}

void TrpSpeedButton::paintEvent(QPaintEvent*)
{
    EnsureSharedPaint();
    if (PaintsOffScreen()) {
        QImage& buffer = Shared().offScreen;
        {
            QPainter offScreen(&buffer);
            offScreen.setFont(font());
            PaintButton(offScreen);
        }
        QPainter painter(this);
        painter.drawImage(QPoint(0, 0), buffer, QRect(0, 0, width(), height()));
    } else {
        QPainter painter(this);
        painter.setFont(font());
        PaintButton(painter);
    }
}

void TrpSpeedButton::PaintButton(QPainter& painter)
{
    const TrpButtonState saved = state_;
    if (grayedInactive_ && isEnabled() && flat_ && !mouseInControl_) {
        state_ = TrpButtonState::Inactive;
    } else if (!isEnabled()) {
        state_ = TrpButtonState::Disabled;
        dragging_ = false;
    } else if (state_ == TrpButtonState::Disabled) {
        state_ = down_ && groupIndex_ != 0 ? TrpButtonState::Exclusive : TrpButtonState::Up;
    }

    const QRect whole(0, 0, width(), height());
    QRect content = whole;
    if (flat_) {
        painter.fillRect(whole, ButtonColors::Face());
        if (state_ == TrpButtonState::Down)
            content.translate(1, 1);
    } else {
        // A raised face with a one-pixel bevel, pressed when down.
        const bool pressed = state_ == TrpButtonState::Down || state_ == TrpButtonState::Exclusive;
        painter.fillRect(whole, ButtonColors::Face());
        DrawEdges(painter, width(), height(), pressed ? ButtonColors::Shadow() : ButtonColors::Highlight(),
                  pressed ? ButtonColors::Highlight() : QColor(Qt::black));
        content = whole.adjusted(1, 1, -1, -1);
        if (pressed)
            content.translate(1, 1);
    }

    const bool pattern = flat_ ? isEnabled() && !mouseInControl_ &&
                                     (state_ == TrpButtonState::Exclusive ||
                                      (saved == TrpButtonState::Exclusive && state_ == TrpButtonState::Inactive))
                               : state_ == TrpButtonState::Exclusive;
    if (pattern)
        painter.fillRect(content, QBrush(Shared().pattern));

    const QSize textSize =
        caption_.isEmpty()
            ? QSize(0, 0)
            : painter.fontMetrics().boundingRect(QRect(0, 0, content.width(), 0), Qt::TextShowMnemonic, caption_).size();
    const TrpButtonLayoutResult placed =
        CalcButtonLayout(content, glyph_.ImageSize(), textSize, layout_, margin_, spacing_);
    glyph_.Draw(painter, placed.GlyphPos, state_, pattern || flat_);
    if (!caption_.isEmpty()) {
        if (state_ == TrpButtonState::Disabled) {
            painter.setPen(QColor(255, 255, 255));
            painter.drawText(placed.TextRect.translated(1, 1), Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic,
                             caption_);
            painter.setPen(QColor(128, 128, 128));
            painter.drawText(placed.TextRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, caption_);
        } else {
            painter.setPen(palette().color(QPalette::ButtonText));
            painter.drawText(placed.TextRect, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, caption_);
        }
    }

    if (flat_ && isEnabled() && (mouseInControl_ || saved == TrpButtonState::Exclusive)) {
        const bool sunken = saved == TrpButtonState::Down || saved == TrpButtonState::Exclusive;
        DrawEdges(painter, width(), height(), sunken ? ButtonColors::Shadow() : ButtonColors::Highlight(),
                  sunken ? ButtonColors::Highlight() : ButtonColors::Shadow());
    }
    state_ = saved;
}

} // namespace report
